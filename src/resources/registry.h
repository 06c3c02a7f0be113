// Named registries: resources paired with short names in load order, loaded in one batch from a
// ParameterList and handed out by exact, case-sensitive name. The first entry of a name wins; a
// miss shows the sought name in a "No Match" box and yields null. Names are stored as given (never
// copied): callers pass texts that outlive the registry (string literals).
#pragma once

#include <cstddef>
#include <vector>

// file0, name0, file1, name1, ..., nullptr (the null stands in a file position).
using ParameterList = const char* const*;

template <class Item>
class Registry {
  public:
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The item of the first entry named name; null after a "No Match" box (text: the name).
    Item* Find(const char* name) const;

    size_t Count() const { return items_.size(); }
    const char* NameAt(size_t i) const { return names_[i]; }
    Item* ItemAt(size_t i) const { return items_[i]; }
    // Live mode's reload: puts item in slot i and hands back the one it held (the caller releases
    // it). The plain program never replaces entries.
    Item* Replace(size_t i, Item* item) {
        Item* old = items_[i];
        items_[i] = item;
        return old;
    }

  protected:
    ~Registry() = default;

    // The walk every Load shares. loadStep(file, name) returns the new item, or null to stop the
    // walk (the step has reported why). A file without a following name shows the list-error box
    // and stops.
    template <class LoadStep>
    void Walk(ParameterList list, const char* listErrorText, const char* listErrorCaption,
              LoadStep loadStep);

    // Releases every non-null item from index 0 upward, then empties both arrays.
    template <class ReleaseItem>
    void ReleaseAll(ReleaseItem releaseItem);

  private:
    std::vector<const char*> names_;
    std::vector<Item*> items_;
};

#include "resources/registry_impl.h"
