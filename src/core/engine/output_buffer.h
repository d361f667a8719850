#ifndef TRULVEX_CORE_ENGINE_OUTPUT_BUFFER_H_
#define TRULVEX_CORE_ENGINE_OUTPUT_BUFFER_H_

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace trulvex {

// A growable byte buffer whose free space is not zero-filled, so that the
// table writer can copy fixed-size blocks into it and then advance by the
// length that counts.
class OutputBuffer {
 public:
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_.get(), size_}; }
  void clear() { size_ = 0; }

  // Makes room for at least `extra` more bytes and returns where they go.
  char* Reserve(std::size_t extra) {
    if (capacity_ - size_ < extra) Grow(extra);
    return data_.get() + size_;
  }
  // Accepts bytes written at `end` by the caller after Reserve.
  void CommitTo(const char* end) {
    size_ = static_cast<std::size_t>(end - data_.get());
  }
  void Append(std::string_view bytes) {
    char* at = Reserve(bytes.size());
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    size_ += bytes.size();
  }

 private:
  void Grow(std::size_t extra) {
    std::size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
    while (capacity - size_ < extra) capacity *= 2;
    std::unique_ptr<char[]> data(new char[capacity]);
    if (size_ != 0) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
  }

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_OUTPUT_BUFFER_H_
