// Profiles through their file both ways: a profile saved into any file
// loads back the same, and a profile loaded from any file saves and loads
// back the same.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/engine/profile_record.h"
#include "core/profiles/preference_file.h"
#include "core/profiles/profile_database.h"
#include "fuzz/fuzz_support.h"

namespace {

namespace fs = std::filesystem;
using trulvex::ProfileRecord;

ProfileRecord RecordFrom(FuzzedDataProvider& data) {
  ProfileRecord record;
  for (const trulvex::ProfileField& field : trulvex::ProfileFields()) {
    switch (field.kind) {
      case trulvex::ProfileFieldKind::kInteger:
        record.*field.integer = data.ConsumeIntegral<std::int32_t>();
        break;
      case trulvex::ProfileFieldKind::kByte:
        record.*field.byte = data.ConsumeIntegral<std::uint8_t>();
        break;
      case trulvex::ProfileFieldKind::kText:
        record.*field.text = data.ConsumeRandomLengthString(24);
        break;
    }
  }
  return record;
}

// The stored fields only: IsPreview and Name never travel with a group.
bool SameStoredFields(ProfileRecord a, ProfileRecord b) {
  a.IsPreview = b.IsPreview = 0;
  a.Name = b.Name;
  return a == b;
}

fs::path ScratchDirectory() {
  // A memory file system when there is one: on a disk every save's rename
  // costs more than the rest of the run.
  std::error_code error;
  const fs::path base = fs::is_directory("/dev/shm", error)
                            ? fs::path("/dev/shm")
                            : fs::temp_directory_path();
  return base / ("trulvex-fuzz-" + std::to_string(getpid()));
}

const fs::path& ScratchFile() {
  static const fs::path path = [] {
    fs::create_directories(ScratchDirectory());
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(ScratchDirectory(), ignored);
    });
    return ScratchDirectory() / "Profile.prof";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::string name = data.ConsumeRandomLengthString(16);
  const ProfileRecord record = RecordFrom(data);
  const std::string file_bytes = data.ConsumeRemainingBytesAsString();

  // Saving into a file of any content, then loading.
  {
    trulvex::PreferenceFile file;
    file.Parse(file_bytes);
    const bool storable = trulvex::IsStorableProfile(name, record);
    FUZZ_CHECK(trulvex::WriteProfileGroup(&file, name, record) == storable);
    if (storable) {
      trulvex::PreferenceFile reread;
      reread.Parse(file.Serialize());
      ProfileRecord loaded;
      FUZZ_CHECK(trulvex::ReadProfileGroup(&reread, name, &loaded) ||
                 name.empty());
      if (!name.empty()) FUZZ_CHECK(SameStoredFields(loaded, record));
    }
  }

  // Loading every group of the file, then saving it back into the same
  // file on disk and loading it again.
  trulvex::PreferenceFile file;
  file.Parse(file_bytes);
  const std::vector<std::string> names = file.GroupNames();
  for (std::size_t i = 0; i < names.size() && i < 4; ++i) {
    ProfileRecord loaded;
    if (names[i].empty() ||
        !trulvex::ReadProfileGroup(&file, names[i], &loaded) ||
        !trulvex::IsStorableProfile(names[i], loaded)) {
      continue;
    }
    {
      std::FILE* out = std::fopen(ScratchFile().c_str(), "wb");
      FUZZ_CHECK(out != nullptr);
      std::fwrite(file_bytes.data(), 1, file_bytes.size(), out);
      FUZZ_CHECK(std::fclose(out) == 0);
    }
    FUZZ_CHECK(trulvex::SaveProfile(ScratchFile(), names[i], loaded) ==
               trulvex::SaveProfileResult::kSaved);
    ProfileRecord again;
    FUZZ_CHECK(trulvex::LoadProfile(ScratchFile(), names[i], &again) ==
               trulvex::LoadProfileResult::kLoaded);
    FUZZ_CHECK(SameStoredFields(again, loaded));
  }
  return 0;
}
