// The fuzzer's bytes read as a string of choices, and what every check hands back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace talvex::fuzzing {

// Each Next() takes one byte; past the end every choice is 0, so any input is a whole script.
class Choices {
  public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
    bool Done() const { return at_ >= size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Each check plays one input against the code and its reference model. It returns what went
// wrong, or nothing when every property held. A crash is left to the sanitizers.
std::string CheckWatcher(const std::uint8_t* data, std::size_t size);
std::string CheckTextTools(const std::uint8_t* data, std::size_t size);
std::string CheckPackedPicture(const std::uint8_t* data, std::size_t size);
std::string CheckEditing(const std::uint8_t* data, std::size_t size);

}  // namespace talvex::fuzzing
