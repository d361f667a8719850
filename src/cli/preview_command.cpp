#include "cli/preview_command.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cli/messages.h"
#include "cli/png_writer.h"
#include "core/base/atomic_file.h"
#include "core/base/error_reason.h"
#include "core/base/path_bytes.h"
#include "core/engine/display_art.h"
#include "core/engine/display_page.h"
#include "core/engine/display_picture.h"

namespace trulvex::cli {
namespace {

void PrintLine(std::FILE* stream, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
}

bool NamesPngFile(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return tail == ".png";
}

// Standard output, or a file replaced in one step once everything is in.
class Output {
 public:
  Output(const CliOptions& options, const Streams& streams)
      : path_(options.output == "-" ? std::filesystem::path() : options.output),
        stream_(streams.out) {}

  bool to_stream() const { return path_.empty(); }
  std::string name() const { return PathBytes(path_); }
  const std::filesystem::path& path() const { return path_; }

  bool Open() {
    if (to_stream()) return true;
    file_ = AtomicFileWriter::Begin(path(), &error_);
    return file_ != nullptr;
  }
  bool Write(std::string_view bytes) {
    if (file_) return file_->Write(bytes);
    return std::fwrite(bytes.data(), 1, bytes.size(), stream_) == bytes.size();
  }
  // Puts what was written so far in front of the reader.
  bool Flush() { return file_ || std::fflush(stream_) == 0; }
  bool Close() { return file_ ? file_->Commit() : Flush(); }
  // Why the file could not be made or written.
  std::error_code error() const { return file_ ? file_->error() : error_; }

 private:
  std::filesystem::path path_;
  std::FILE* stream_;
  std::unique_ptr<AtomicFileWriter> file_;
  std::error_code error_;
};

void ReportMarks(const DisplayPage& page, const Streams& streams) {
  for (const DisplayMark& mark : page.marks) {
    PrintLine(streams.err, "Страница " + std::to_string(page.number + 1) +
                               ", строка " + std::to_string(mark.row + 1) +
                               ", столбец " + std::to_string(mark.column + 1) +
                               ": " + DescribeMark(mark, page.size));
  }
}

// Pages of a picture go one below the other, a strip of the frame between.
class PagedPicture {
 public:
  PagedPicture(const CliOptions& options, std::size_t pages, Output* output)
      : geometry_(options.display_size, options.scale),
        theme_(options.theme),
        pages_(pages),
        png_([output](std::string_view bytes) {
          return output->Write(bytes);
        }) {}

  std::uint64_t height() const {
    return pages_ * static_cast<std::uint64_t>(geometry_.height()) +
           (pages_ - 1) * static_cast<std::uint64_t>(geometry_.page_gap());
  }
  bool fits() const { return height() <= PngWriter::kMaxSide; }

  bool Start() {
    return png_.Start(static_cast<std::uint32_t>(geometry_.width()),
                      static_cast<std::uint32_t>(height()));
  }

  bool Add(const DisplayPage& page) {
    if (page.number > 0) {
      const Rgb frame = ColoursOf(theme_).frame;
      std::vector<std::uint8_t> strip;
      for (int x = 0; x < geometry_.width(); ++x) {
        strip.insert(strip.end(), {frame.red, frame.green, frame.blue});
      }
      for (int y = 0; y < geometry_.page_gap(); ++y) {
        if (!png_.WriteRow(strip.data())) return false;
      }
    }
    const RgbImage image = DrawDisplayPage(page, theme_, geometry_.scale());
    for (int y = 0; y < image.height; ++y) {
      if (!png_.WriteRow(image.Row(y))) return false;
    }
    return true;
  }

  bool Finish() { return png_.Finish(); }

 private:
  DisplayGeometry geometry_;
  DisplayTheme theme_;
  std::size_t pages_;
  PngWriter png_;
};

}  // namespace

int WritePreview(const CliOptions& options, const Streams& streams,
                 const ProfileRecord& profile, std::string_view text) {
  Output output(options, streams);
  const PreviewFormat format = options.preview_format.value_or(
      NamesPngFile(output.name()) ? PreviewFormat::kPng : PreviewFormat::kText);
  if (format == PreviewFormat::kPng && output.to_stream() &&
      streams.out_is_terminal) {
    PrintError(streams,
               "картинка PNG не выводится на терминал: укажите -o ФАЙЛ.png");
    return kExitUsage;
  }

  const DisplaySize size = options.display_size;
  const std::vector<std::string_view> lines = SplitDisplayLines(text);
  const std::size_t pages = DisplayPageCount(lines.size(), size);
  std::unique_ptr<PagedPicture> picture;
  if (format == PreviewFormat::kPng) {
    picture = std::make_unique<PagedPicture>(options, pages, &output);
    if (!picture->fits()) {
      PrintError(streams,
                 "картинка получилась бы выше 2147483647 точек: уменьшите "
                 "масштаб или разделите текст");
      return kExitRefused;
    }
  }
  const auto file_error = [&] {
    if (output.to_stream()) {
      PrintError(streams, "не удалось записать стандартный вывод: " +
                              ErrorReason(LastSystemError()));
    } else {
      PrintError(streams, WriteFailureMessage(output.path(), output.error()));
    }
    return kExitFileError;
  };
  if (!output.Open()) {
    PrintError(streams, CreateFailure(output.path(), output.error()));
    return kExitFileError;
  }
  if (picture && !picture->Start()) return file_error();

  const auto rows = static_cast<std::size_t>(size.rows);
  bool marked = false;
  for (std::size_t number = 0; number < pages; ++number) {
    const std::size_t first = std::min(lines.size(), number * rows);
    const std::span<const std::string_view> page_lines =
        std::span(lines).subspan(first, std::min(rows, lines.size() - first));
    const DisplayPage page = LayOutPage(page_lines, size, profile, number);
    const bool written = picture ? picture->Add(page)
                                 : (number == 0 || output.Write("--\n")) &&
                                       output.Write(DisplayPageArt(page));
    if (!written || !output.Flush()) return file_error();
    ReportMarks(page, streams);
    marked = marked || !page.marks.empty();
  }
  if ((picture && !picture->Finish()) || !output.Close()) return file_error();
  // A build checks its texts by this status.
  return marked ? kExitRefused : kExitOk;
}

}  // namespace trulvex::cli
