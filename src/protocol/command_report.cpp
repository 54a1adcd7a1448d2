#include "protocol/command_report.h"

#include "settings/little_endian.h"

namespace t47 {

CommandReport BuildCommandReport() {
    CommandReport report{};
    report[0] = kCommandReportId;
    WriteU32LE(report, 1, kCommandValue);
    return report;
}

}  // namespace t47
