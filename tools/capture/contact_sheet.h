// A contact sheet: frames taken at a fixed interval, shrunk and laid out in a grid on one PNG, each
// with its music time written under it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

class ContactSheet {
  public:
    // thumbWidth: width of one cell's picture; the height follows the frame's shape.
    ContactSheet(uint32_t frameWidth, uint32_t frameHeight, uint32_t columns, uint32_t thumbWidth);

    // Shrinks an RGBA frame (top row first) into the next cell, labelled with the time.
    void Add(const uint8_t* rgba, double seconds);
    size_t Count() const { return labels_.size(); }

    // Writes the sheet; false with a message on failure (nothing added, or the file not writable).
    bool Write(const std::string& path, std::string* error) const;

  private:
    uint32_t frameWidth_, frameHeight_, columns_, thumbWidth_, thumbHeight_;
    std::vector<std::vector<uint8_t>> thumbs_;  // RGB
    std::vector<std::string> labels_;
};

// "m:ss.ss" for a time in seconds.
std::string FormatTime(double seconds);

}  // namespace capture
