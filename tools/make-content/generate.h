// generate: writes each kind of generated file into the data folder at its path (content_paths.h),
// creating folders as needed. Each returns false with *error set on failure.
#pragma once

#include <filesystem>
#include <string>

#include "mesh_builder.h"
#include "mesh_writer.h"

namespace content {

// A pig part as a mesh file: format bits 7 (position, normal, texcoord), stride 32, one key each
// (position = placement, identity rotation, unit scale).
meshfile::MeshFile ToMeshFile(const TriMesh& mesh, V3 placement);

bool GeneratePigMeshes(const std::filesystem::path& out, std::string* error);
bool GenerateImages(const std::filesystem::path& out, std::string* error);
bool GenerateSoundtrack(const std::filesystem::path& out, std::string* error);

}  // namespace content
