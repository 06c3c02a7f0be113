// The numeric parameters of one effect and the CPU copy of their constant block. Values are written
// straight into the block's std140 layout (as SPIRV-Cross laid it out), so uploading is one copy.
// No OpenGL here. Internal to platform/fx.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fx/fx_prepass.h"
#include "platform/fx/fx_stage_compiler.h"

namespace fx::detail {

class ParameterTable {
  public:
    // Pairs the declarations with the block members of the same name. Fails (with errors) when the
    // two disagree: a member the declarations lack, or a different shape. Applies initial values.
    bool Build(const std::vector<ParameterDecl>& decls, const std::vector<BlockMember>& layout,
               uint32_t blockSize, std::vector<Diagnostic>* errors);

    // Each returns false (and changes nothing) for an unknown name or an unfitting type.
    bool SetFloat(std::string_view name, float value);
    // Writes min(count, size) components in declaration order (array elements, rows, columns).
    bool SetFloatArray(std::string_view name, const float* values, uint32_t count);
    // Direct3D layout: element (row r, column c) is matrix16[r * 4 + c].
    bool SetMatrix(std::string_view name, const float* matrix16);

    bool Has(std::string_view name) const { return Find(name) != nullptr; }

    // The block as the GPU should see it; GL may report a larger block than SPIRV-Cross.
    const std::vector<uint8_t>& Block() const { return block_; }
    void GrowBlock(size_t size);
    bool Dirty() const { return dirty_; }
    void ClearDirty() { dirty_ = false; }
    bool operator==(const ParameterTable&) const = default;

  private:
    struct Entry {
        ParameterDecl decl;
        int member = -1;  // index into layout_, -1 when no shader uses the block
        bool operator==(const Entry&) const = default;
    };
    const Entry* Find(std::string_view name) const;
    void Write(const Entry& entry, const float* values, uint32_t count);
    // Byte offset of component (element, row, column) of a parameter in the block.
    uint32_t OffsetOf(const Entry& entry, int element, int row, int column) const;

    std::vector<Entry> entries_;
    std::vector<BlockMember> layout_;
    std::vector<uint8_t> block_;
    bool dirty_ = true;
};

}  // namespace fx::detail
