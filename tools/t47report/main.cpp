// t47report: see report_tool.h.

#include <exception>
#include <iostream>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/system_profile_files.h"
#include "platform/text_encoding.h"
#include "report_tool.h"

namespace {

template <class Arguments>
int Run(const Arguments& arguments) {
    try {
        const std::unique_ptr<t47::ProfileFiles> files = t47::MakeSystemProfileFiles();
        if constexpr (std::is_same_v<typename Arguments::value_type, std::string>) {
            return t47::RunReportToolWithUtf8Arguments(arguments, std::cin, std::cout, std::cerr,
                                                       *files);
        } else {
            return t47::RunReportTool(arguments, std::cin, std::cout, std::cerr, *files);
        }
    } catch (const std::exception& failure) {
        std::cerr << "t47report: " << failure.what() << '\n';
        return 1;
    }
}

}  // namespace

#ifdef _WIN32
// Windows passes the command line as UTF-16; the narrow one would lose non-ANSI paths.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(t47::Utf16FromWide(argv[i]));
    }
    return Run(arguments);
}
#else
int main(int argc, char** argv) {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
