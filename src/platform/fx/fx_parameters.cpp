#include "platform/fx/fx_parameters.h"

#include <algorithm>
#include <cstring>

#include "platform/math/float_to_int.h"

namespace fx::detail {

bool ParameterTable::Build(const std::vector<ParameterDecl>& decls,
                           const std::vector<BlockMember>& layout, uint32_t blockSize,
                           std::vector<Diagnostic>* errors) {
    size_t before = errors->size();
    layout_ = layout;
    block_.assign(blockSize, 0);
    entries_.clear();
    for (const ParameterDecl& decl : decls) {
        Entry entry{decl, -1};
        for (size_t i = 0; i < layout_.size(); ++i) {
            if (layout_[i].name == decl.name) entry.member = static_cast<int>(i);
        }
        if (entry.member < 0 && !layout_.empty()) {
            errors->push_back({decl.at, "parameter '" + decl.name +
                                            "' is missing from the compiled constant block"});
            continue;
        }
        if (entry.member >= 0) {
            const BlockMember& m = layout_[entry.member];
            // glslang turns HLSL rows into SPIR-V columns: floatRxC has R columns of C components.
            bool shapeFits =
                decl.type.IsMatrix()
                    ? (m.columns == static_cast<uint32_t>(decl.type.rows) &&
                       m.vectorSize == static_cast<uint32_t>(decl.type.columns) &&
                       m.matrixStride >= 4)
                    : (m.columns == 1 && m.vectorSize == static_cast<uint32_t>(decl.type.columns));
            bool arrayFits = m.arraySize == static_cast<uint32_t>(decl.arraySize) &&
                             (decl.arraySize == 0 || m.arrayStride > 0);
            // A bool is a 32-bit integer in the block, as glslang lays it out.
            bool kindFits = m.base == decl.type.base ||
                            (decl.type.base == BaseKind::Bool && m.base == BaseKind::Int);
            if (!shapeFits || !arrayFits || !kindFits) {
                errors->push_back(
                    {decl.at, "parameter '" + decl.name +
                                  "' is laid out with a different type than declared"});
                continue;
            }
            for (int e = 0; e < decl.Elements(); ++e) {
                uint32_t last = 0;
                for (int r = 0; r < decl.type.rows; ++r) {
                    for (int c = 0; c < decl.type.columns; ++c) {
                        last = std::max(last, OffsetOf(entry, e, r, c) + 4);
                    }
                }
                if (last > block_.size()) {
                    errors->push_back(
                        {decl.at, "parameter '" + decl.name + "' lies outside the constant block"});
                    e = decl.Elements();
                }
            }
        }
        entries_.push_back(entry);
    }
    for (const BlockMember& m : layout_) {
        bool declared = std::any_of(decls.begin(), decls.end(),
                                    [&](const ParameterDecl& d) { return d.name == m.name; });
        if (!declared) {
            errors->push_back({{1, 1},
                               "the constant block holds '" + m.name +
                                   "', which the effect reader did not see declared (inside a "
                                   "preprocessor condition?)"});
        }
    }
    if (errors->size() != before) return false;
    for (const Entry& entry : entries_) {
        if (!entry.decl.initial.empty()) {
            Write(entry, entry.decl.initial.data(),
                  static_cast<uint32_t>(entry.decl.initial.size()));
        }
    }
    dirty_ = true;
    return true;
}

void ParameterTable::GrowBlock(size_t size) {
    if (size > block_.size()) block_.resize(size, 0);
    dirty_ = true;
}

const ParameterTable::Entry* ParameterTable::Find(std::string_view name) const {
    for (const Entry& e : entries_) {
        if (e.decl.name == name) return &e;
    }
    return nullptr;
}

uint32_t ParameterTable::OffsetOf(const Entry& entry, int element, int row, int column) const {
    const BlockMember& m = layout_[entry.member];
    uint32_t offset = m.offset + static_cast<uint32_t>(element) * m.arrayStride;
    if (!entry.decl.type.IsMatrix()) return offset + static_cast<uint32_t>(column) * 4;
    // HLSL element (r, c) is SPIR-V column r, row c.
    if (m.rowMajor)
        return offset + static_cast<uint32_t>(column) * m.matrixStride +
               static_cast<uint32_t>(row) * 4;
    return offset + static_cast<uint32_t>(row) * m.matrixStride + static_cast<uint32_t>(column) * 4;
}

void ParameterTable::Write(const Entry& entry, const float* values, uint32_t count) {
    dirty_ = true;
    if (entry.member < 0) return;  // no shader reads it
    const ParameterDecl& d = entry.decl;
    uint32_t i = 0;
    for (int e = 0; e < d.Elements(); ++e) {
        for (int r = 0; r < d.type.rows; ++r) {
            for (int c = 0; c < d.type.columns; ++c) {
                if (i >= count) return;
                float v = values[i++];
                uint8_t* at = block_.data() + OffsetOf(entry, e, r, c);
                if (d.type.base == BaseKind::Float) {
                    std::memcpy(at, &v, 4);
                } else {
                    int32_t n = d.type.base == BaseKind::Bool ? (v != 0.0f ? 1 : 0)
                                                              : vmath::TruncateToInt32(v);
                    std::memcpy(at, &n, 4);
                }
            }
        }
    }
}

bool ParameterTable::SetFloat(std::string_view name, float value) {
    const Entry* e = Find(name);
    if (!e || e->decl.type.Components() != 1 || e->decl.arraySize != 0) return false;
    Write(*e, &value, 1);
    return true;
}

bool ParameterTable::SetFloatArray(std::string_view name, const float* values, uint32_t count) {
    const Entry* e = Find(name);
    if (!e || !values) return false;
    Write(*e, values, count);
    return true;
}

bool ParameterTable::SetMatrix(std::string_view name, const float* matrix16) {
    const Entry* e = Find(name);
    if (!e || !matrix16 || !e->decl.type.IsMatrix()) return false;
    float packed[16];
    int n = 0;
    for (int r = 0; r < e->decl.type.rows; ++r) {
        for (int c = 0; c < e->decl.type.columns; ++c) packed[n++] = matrix16[r * 4 + c];
    }
    Write(*e, packed, static_cast<uint32_t>(n));
    return true;
}

}  // namespace fx::detail
