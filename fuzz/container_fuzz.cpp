// The container sniffer reads the first bytes of any file a user drops.
#include "media/container.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const MWContainer kind = sniff(std::span<const std::uint8_t>(data, size));
    // A kind outside the enumeration would fall through every switch on it.
    if (int(kind) < int(MWContainer::mpegProgramStream) || int(kind) > int(MWContainer::unknown))
        std::abort();
    if (size < 12 && kind != MWContainer::unknown)
        std::abort();
    if (rawValue(kind).isEmpty())
        std::abort();
    (void)mustConvert(kind);
    return 0;
}
