// libFuzzer target: arbitrary handle tables and object-name records must be read within bounds.
// The input is the table verbatim; its last bytes also become every name record, whose character
// pointer is placed by the first two of them anywhere from before to beyond the name buffer.
#include "handles/HandleScanner.h"
#include "handles/ObjectNameRecord.h"
#include "tests/fakes/FakeHandleTable.h"
#include "tests/fakes/HandleLedger.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    fakes::HandleLedger ledger;
    {
        fakes::FakeHandleTable table(ledger);
        // The one real file, which table records may name as process 7, handle 4, type 28.
        table.AddFile(7, L"\\Device\\HarddiskVolume1\\x");
        table.SetRawTable(std::vector<std::byte>(bytes, bytes + size));
        const std::size_t tail = std::min<std::size_t>(size, 256);
        table.SetRawNameWriter([&](std::span<std::byte> buffer) {
            std::fill(buffer.begin(), buffer.end(), std::byte{0x41});
            std::copy(bytes + size - tail, bytes + size, buffer.begin());
            const std::size_t place =
                size >= 2 ? (data[0] | data[1] << 8) % (buffer.size() + 128) : 0;
            const auto at = reinterpret_cast<std::uintptr_t>(buffer.data()) - 64 + place;
            const ObjectNameHeader header{0, 0, reinterpret_cast<const wchar_t*>(at)};
            std::memcpy(buffer.data(), &header, sizeof header);
        });
        HandleScanner scanner(table);
        scanner.ScanDevice(L"\\Device\\HarddiskVolume1");
    }
    if (!ledger.IsEmpty()) {
        std::abort();
    }
    return 0;
}
