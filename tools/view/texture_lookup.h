// The viewer's texture lookup. The show opens a material's texture by its name from the current
// folder; scenes from other tools name files beside the 3DS file, often in another letter case.
// The lookup tries the show's way first, then those, and hands the file it found on.
#pragma once

#include "image/texture.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace pelx::view {

// The file a material's texture name stands for: the name from the current folder, then
// beside the scene file, then a file in the scene's folder whose name matches in any letter
// case. Empty when there is none.
std::string findTextureFile(const std::string& name, const std::filesystem::path& sceneFolder);

// A texture backend that looks each picture up with findTextureFile and hands the found path
// to the next backend. Pictures that are missing or do not decode are noted once each, without
// message boxes, and still get a texture name (drawn untextured).
class TextureLookup : public TextureBackend {
  public:
    TextureLookup(std::filesystem::path sceneFolder, TextureBackend& next);
    void loadTexture(TextureId* slots, const char* path, int index) override;
    void createBlankTexture(TextureId* slots, int edge, int components, uint32_t format, int index) override;

    std::vector<std::string> problems; // "texture NAME: what is wrong", once per name
    std::vector<std::string> files;    // the picture files found, once each (to watch)

  private:
    std::filesystem::path sceneFolder;
    TextureBackend& next;
    std::set<std::string> seen;
};

} // namespace pelx::view
