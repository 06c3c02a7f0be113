// Template bodies of Registry; included by registry.h only.
#pragma once

#include <cstring>

#include "platform/ui/ui.h"

template <class Item>
Item* Registry<Item>::Find(const char* name) const {
    if (name != nullptr) {
        for (size_t i = 0; i < names_.size(); ++i) {
            if (std::strcmp(name, names_[i]) == 0) return items_[i];
        }
    }
    ui::MessageBox(name != nullptr ? name : "(null)", "No Match");
    return nullptr;
}

template <class Item>
template <class LoadStep>
void Registry<Item>::Walk(ParameterList list, const char* listErrorText,
                          const char* listErrorCaption, LoadStep loadStep) {
    if (list == nullptr) return;
    for (size_t i = 0; list[i] != nullptr; i += 2) {
        const char* name = list[i + 1];
        if (name == nullptr) {
            ui::MessageBox(listErrorText, listErrorCaption);
            return;
        }
        Item* item = loadStep(list[i], name);
        if (item == nullptr) return;
        items_.push_back(item);
        names_.push_back(name);
    }
}

template <class Item>
template <class ReleaseItem>
void Registry<Item>::ReleaseAll(ReleaseItem releaseItem) {
    for (Item*& item : items_) {
        if (item != nullptr) {
            releaseItem(item);
            item = nullptr;
        }
    }
    items_.clear();
    items_.shrink_to_fit();
    names_.clear();
    names_.shrink_to_fit();
}
