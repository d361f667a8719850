#ifndef TRULVEX_CLI_PREVIEW_COMMAND_H_
#define TRULVEX_CLI_PREVIEW_COMMAND_H_

#include <string_view>

#include "cli/cli.h"
#include "cli/cli_options.h"
#include "core/engine/profile_record.h"

namespace trulvex::cli {

// Shows `text` (code page 1251) page by page on the simulated display, as
// text art or as a PNG picture; every cut or unshowable character is
// reported on standard error after its page. Returns the exit status: 1
// when anything was marked.
int WritePreview(const CliOptions& options, const Streams& streams,
                 const ProfileRecord& profile, std::string_view text);

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_PREVIEW_COMMAND_H_
