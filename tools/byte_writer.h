#ifndef TRULVEX_TOOLS_BYTE_WRITER_H_
#define TRULVEX_TOOLS_BYTE_WRITER_H_

#include <cstdint>
#include <string>

namespace trulvex::tools {

// Little-endian fields of the Windows icon and bitmap headers.
class Bytes {
 public:
  void U8(int value) { data_.push_back(static_cast<char>(value & 0xFF)); }
  void U16(int value) {
    U8(value);
    U8(value >> 8);
  }
  void U32(std::uint32_t value) {
    U16(static_cast<int>(value & 0xFFFF));
    U16(static_cast<int>(value >> 16));
  }
  const std::string& data() const { return data_; }

 private:
  std::string data_;
};

}  // namespace trulvex::tools

#endif  // TRULVEX_TOOLS_BYTE_WRITER_H_
