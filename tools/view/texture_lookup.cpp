// Texture lookup for the viewer: current folder, beside the scene, then any letter case.
#include "texture_lookup.h"

#include "platform/message.h"

#include <algorithm>
#include <cctype>

namespace pelx::view {

namespace {

bool isFile(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Runs load with message boxes caught; true when none was shown (the picture decoded).
template <typename Load> bool quietly(Load load) {
    bool complained = false;
    {
        ScopedMessageSink sink([&](const std::string&, const std::string&) { complained = true; });
        load();
    }
    return !complained;
}

} // namespace

std::string findTextureFile(const std::string& name, const std::filesystem::path& sceneFolder) {
    if (name.empty()) return {};
    if (isFile(name)) return name;
    const std::filesystem::path folder = sceneFolder.empty() ? std::filesystem::path(".") : sceneFolder;
    const std::filesystem::path given(name);
    if (given.is_relative() && isFile(folder / given)) return (folder / given).string();
    // Tools on other systems often write only the file name, in any letter case; Windows paths
    // use backslashes.
    std::string fileName =
        name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
    if (fileName.empty()) return {};
    if (isFile(folder / fileName)) return (folder / fileName).string();
    const std::string wanted = lowered(fileName);
    std::error_code error;
    std::vector<std::string> matches;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (lowered(it->path().filename().string()) == wanted && isFile(it->path()))
            matches.push_back(it->path().string());
    if (matches.empty()) return {};
    // Several files differing only in case: take the same one every time.
    return *std::min_element(matches.begin(), matches.end());
}

TextureLookup::TextureLookup(std::filesystem::path folder, TextureBackend& nextBackend)
    : sceneFolder(std::move(folder)), next(nextBackend) {}

void TextureLookup::loadTexture(TextureId* slots, const char* path, int index) {
    const std::string name = path ? path : "";
    const std::string found = findTextureFile(name, sceneFolder);
    const bool firstTime = seen.insert(name).second;
    if (found.empty()) {
        // Still a texture name, as the show gives a missing picture: the surface is untextured.
        quietly([&] { next.loadTexture(slots, path, index); });
        if (firstTime)
            problems.push_back(
                "texture " + name +
                ": not found (looked in the current folder and beside the scene, in any letter case)");
        return;
    }
    const bool decoded = quietly([&] { next.loadTexture(slots, found.c_str(), index); });
    if (firstTime && std::find(files.begin(), files.end(), found) == files.end()) files.push_back(found);
    if (!decoded && firstTime)
        problems.push_back("texture " + name + ": " + found + " is not a JPEG picture that decodes");
}

void TextureLookup::createBlankTexture(TextureId* slots, int edge, int components, uint32_t format,
                                       int index) {
    next.createBlankTexture(slots, edge, components, format, index);
}

} // namespace pelx::view
