// libFuzzer target for the define file reader: any bytes give a verdict, and every record read has its
// texts terminated inside their fields and survives writing and reading again unchanged.
#include "core/define_file.h"
#include "testsupport/fuzz_check.h"

#include <cstdlib>

using fuzz::Check;

namespace {

bool Terminated(const glyphpeek::trsetting::DefineRecord& record, std::size_t offset, std::size_t units) {
    for (std::size_t i = 0; i < units; ++i)
        if (record[offset + 2 * i] == 0 && record[offset + 2 * i + 1] == 0) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyphpeek::trsetting;
    const DecodedDefineFile decoded = DecodeDefineFile({data, size});
    if (decoded.status != DefineFileStatus::kOk) {
        Check(decoded.records.empty());
        return 0;
    }
    Check(decoded.records.size() == DefineRecordCount(size));
    for (const DefineRecord& record : decoded.records)
        Check(Terminated(record, 0, 15) && Terminated(record, 30, 60) && Terminated(record, 150, 260));
    const DecodedDefineFile again = DecodeDefineFile(EncodeDefineFile(decoded.records));
    Check(again.status == DefineFileStatus::kOk && again.records == decoded.records);
    return 0;
}
