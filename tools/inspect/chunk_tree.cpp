// The chunk tree as the loader walks it: the loader itself runs with a trace that records
// every chunk it meets, so the tree shows exactly what is read, skipped or cut short.
#include "inspect.h"

#include "image/texture.h"
#include "scene3ds/chunk_reader.h"
#include "scene3ds/scene_loader.h"

#include <cstdio>
#include <cstring>

namespace pelx::inspect {

namespace {

// The loader's name for a recognised chunk: its trace line without indentation, branch and
// newline; chunks announced without a line have a name of their own.
std::string loaderName(const ChunkVisit& visit) {
    if (!visit.traceLine) {
        if (visit.header.id == CHUNK_MAIN) return "CHUNK_MAIN";
        if (visit.header.id == CHUNK_LIGHTCOLOR) return "CHUNK_LIGHTCOLOR";
        return "?";
    }
    std::string name = visit.traceLine;
    size_t begin = name.find("CHUNK_");
    size_t end = name.find('\n');
    return name.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string problemNote(const ChunkVisit& visit) {
    char buffer[96];
    switch (visit.problem) {
    case ChunkProblem::none:
        return "";
    case ChunkProblem::tooShort:
        return "  ! length below 6: not read, the rest of its parent is lost";
    case ChunkProblem::pastParent:
        std::snprintf(buffer, sizeof buffer,
                      "  ! reaches past its parent: read up to %u, then its parent ends", visit.header.end);
        return buffer;
    case ChunkProblem::pastFile:
        std::snprintf(buffer, sizeof buffer, "  ! reaches past the end of the file at %u", visit.header.end);
        return buffer;
    case ChunkProblem::stray:
        return "  ! too few bytes for a chunk header before its parent's end";
    }
    return "";
}

} // namespace

bool chunkTree(const char* path, std::string& out) {
    RecordingTextureBackend textures;
    ScopedTextureBackend installed(&textures);
    ChunkTrace trace;
    trace.chunks = [&](const ChunkVisit& visit) {
        char line[96];
        if (visit.problem == ChunkProblem::stray) {
            std::snprintf(line, sizeof line, "%10d  ----  %10u  %*s", visit.header.start, visit.header.length,
                          visit.depth * 2, "");
            out += line;
            out += "(stray bytes)" + problemNote(visit) + "\n";
            return;
        }
        std::snprintf(line, sizeof line, "%10d  %04X  %10u  %*s", visit.header.start, visit.header.id,
                      visit.header.length, visit.depth * 2, "");
        out += line;
        out += visit.recognised ? loaderName(visit) : std::string("skipped");
        out += problemNote(visit) + "\n";
    };
    out += "    offset    id      length  chunk\n";
    Scene scene;
    scene.trace = &trace;
    return loadScene(scene, path, 0); // no lighting: the tree needs none
}

} // namespace pelx::inspect
