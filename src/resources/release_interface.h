// Releases a device object held by a resource and clears the pointer; nothing when it is null.
#pragma once

template <class T>
void ReleaseInterface(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}
