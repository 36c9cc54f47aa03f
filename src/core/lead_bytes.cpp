#include "core/lead_bytes.h"

namespace kelpix::core {

LeadBytes LeadBytes::FromRanges(const uint8_t* ranges, std::size_t size) {
    LeadBytes lead;
    for (std::size_t i = 0; i + 1 < size && (ranges[i] != 0 || ranges[i + 1] != 0); i += 2)
        for (unsigned byte = ranges[i]; byte <= ranges[i + 1]; ++byte)
            lead.table_.set(byte);
    return lead;
}

const LeadBytes& LeadBytes::ShiftJis() {
    static const uint8_t ranges[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    static const LeadBytes lead = FromRanges(ranges, sizeof ranges);
    return lead;
}

} // namespace kelpix::core
