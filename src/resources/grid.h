// GenerateGrid: fills an empty Mesh with a flat textured grid in the plane z = 1, drawn like any
// mesh. columns and rows count vertices (at least 2 each, at most 65536 vertices in all); an
// origin of exactly 0 centres the grid on that axis.
#pragma once

#include <cstdint>

#include "resources/mesh.h"

void GenerateGrid(Mesh& mesh, uint32_t columns, uint32_t rows, float width, float height,
                  float originX, float originY);
