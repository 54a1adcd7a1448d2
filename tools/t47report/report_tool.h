#pragma once

// t47report: settings and reports as the agent sees them, for people who debug the mouse or the
// companion UI.
//
//   t47report load FILE           LoadSettings on FILE (creating it when missing); prints the
//                                 validated settings
//   t47report encode FILE [SLOT]  the three reports the agent would send for the profile of
//                                 SLOT (default: the active slot), one a line, in hex
//   t47report decode [FILE]       one report 3 or 4 in hex on standard input, decoded as the
//                                 download does; prints the profile section and the macro
//                                 library sections it would write
//
// encode and decode read FILE as a load does but never create or change it. Bad input gets one
// line on the error stream and status 2, and nothing is written: a missing or unreadable FILE,
// one larger than the agent reads (16 MiB, the bound of standard input too), a FILE that load
// cannot create, bad hex, a bad slot.

#include <iosfwd>
#include <span>
#include <string>

#include "platform/profile_files.h"

namespace t47 {

inline constexpr int kReportToolBadInput = 2;

// `arguments` without the program's name. The settings files are read and written through
// `files`, as the agent does.
int RunReportTool(std::span<const std::u16string> arguments, std::istream& in, std::ostream& out,
                  std::ostream& err, ProfileFiles& files);

// The same with arguments as bytes taken for UTF-8 (Linux). An argument that is not UTF-8 is
// refused: converted, it would name another file.
int RunReportToolWithUtf8Arguments(std::span<const std::string> arguments, std::istream& in,
                                   std::ostream& out, std::ostream& err, ProfileFiles& files);

}  // namespace t47
