// The chunk handlers of the loader: each is given its chunk's header with the position just
// after it, works on the scene's current object, and may read less than its chunk holds (the
// walk that called it seeks to the chunk's end afterwards).
#pragma once

#include "scene3ds/chunk_reader.h"

namespace pelx {

// objectCount is 16 bits wide: named objects past this many are skipped.
inline constexpr int MAX_OBJECTS = 65535;

// Mesh and material chunks.
void readMesh(Scene& scene, const ChunkHeader& header);      // 0x4100
void readVertices(Scene& scene, const ChunkHeader& header);  // 0x4110
void readFaces(Scene& scene, const ChunkHeader& header);     // 0x4120
void readMaterial(Scene& scene, const ChunkHeader& header);  // 0x4130
void readTexCoords(Scene& scene, const ChunkHeader& header); // 0x4140

// Named objects, lights and cameras.
void readNamedObject(Scene& scene, const ChunkHeader& header); // 0x4000
void readLight(Scene& scene, const ChunkHeader& header);       // 0x4600
void readCamera(Scene& scene, const ChunkHeader& header);      // 0x4700

// Keyframer blocks and their tracks.
void readKeyframer(Scene& scene, const ChunkHeader& header);                          // 0xB000
void readObjectNode(Scene& scene, const ChunkHeader& header);                         // 0xB002, 0xB007
void readCameraNode(Scene& scene, const ChunkHeader& header);                         // 0xB003
void readCameraTargetNode(Scene& scene, const ChunkHeader& header);                   // 0xB004
void readPositionTrack(Scene& scene, const ChunkHeader& header, KeyTrack& track);     // 0xB020
void readRotationTrack(Scene& scene, const ChunkHeader& header, SceneObject& object); // 0xB021

// The mid-section rectangles and the shadow rectangle from the object's bounds.
void computeSections(SceneObject& object);

} // namespace pelx
