#include "cli/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <memory>
#include <utility>

namespace trulvex::cli {

struct PngWriter::State {
  Sink sink;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::uint32_t rows_left = 0;
  bool started = false;
  bool failed = false;
};

namespace {

// libpng reports a failure by jumping back to the call that started the
// operation; nothing with a destructor may live in the frames it skips.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, png_size_t size) {
  auto* sink = static_cast<PngWriter::Sink*>(png_get_io_ptr(png));
  if (!(*sink)(std::string_view(reinterpret_cast<const char*>(data), size))) {
    png_error(png, "the output refused the bytes");
  }
}

void OnFlush(png_structp) {}

bool StartPng(png_structp png, png_infop info, std::uint32_t width,
              std::uint32_t height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  return true;
}

bool WritePngRow(png_structp png, const std::uint8_t* rgb) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_row(png, rgb);
  return true;
}

bool EndPng(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_end(png, info);
  return true;
}

}  // namespace

PngWriter::PngWriter(Sink sink)
    : state_(std::make_unique<State>(State{std::move(sink)})) {
  state_->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError,
                                        OnWarning);
  if (state_->png != nullptr)
    state_->info = png_create_info_struct(state_->png);
  if (state_->info == nullptr) {
    state_->failed = true;
    return;
  }
  png_set_write_fn(state_->png, &state_->sink, OnWrite, OnFlush);
}

PngWriter::~PngWriter() {
  if (state_->png != nullptr) {
    png_destroy_write_struct(&state_->png,
                             state_->info != nullptr ? &state_->info : nullptr);
  }
}

bool PngWriter::Start(std::uint32_t width, std::uint32_t height) {
  if (state_->failed || state_->started || width == 0 || height == 0 ||
      width > kMaxSide || height > kMaxSide) {
    state_->failed = true;
    return false;
  }
  state_->started = true;
  state_->rows_left = height;
  if (!StartPng(state_->png, state_->info, width, height)) {
    state_->failed = true;
  }
  return !state_->failed;
}

bool PngWriter::WriteRow(const std::uint8_t* rgb) {
  if (state_->failed || !state_->started || state_->rows_left == 0) {
    state_->failed = true;
    return false;
  }
  --state_->rows_left;
  if (!WritePngRow(state_->png, rgb)) state_->failed = true;
  return !state_->failed;
}

bool PngWriter::Finish() {
  if (state_->failed || !state_->started || state_->rows_left != 0) {
    return false;
  }
  if (!EndPng(state_->png, state_->info)) state_->failed = true;
  return !state_->failed;
}

}  // namespace trulvex::cli
