// Reference counting shared by the device's objects: one reference at creation, deleted with the
// last Release.
#pragma once

#include <cstdint>

namespace gfx::gl {

template <class Interface>
class RefCounted : public Interface {
  public:
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override {
        const uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }

  protected:
    RefCounted() = default;
    ~RefCounted() override = default;

  private:
    uint32_t refs_ = 1;
};

}  // namespace gfx::gl
