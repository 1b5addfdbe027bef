// Feeds arbitrary bytes to the overlay reader as a file would be loaded.
// Whatever it accepts is written back, and the written document must read
// into a tree that writes exactly the same document again (the reader and
// the writer agree on everything the reader keeps).
#include "OverlayFuzzSupport.h"

#include "CharBufferReader.h"
#include "XML_Error.h"
#include "XML_ToStreamParser.h"

#include <cstdint>

namespace {

bool read(const char* data, std::size_t size, std::size_t chunk, QTreeWidgetItem& root, OverlayFuzz::Colours& colours) {
    UserDraw::UD1_XML_TreeStreamTarget target(&root, &colours);
    XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromMemory>(data, size, chunk));
    try {
        return parser.parse(target);
    } catch (const XML_Error&) {
    } catch (const XML_EndOfInput&) {
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    OverlayFuzz::initialise();
    DefaultAppearances::reset();
    StdDrawStrategies::bindDefaultAppearances();
    QTreeWidgetItem root;
    OverlayFuzz::Colours colours;
    const std::size_t chunk = 1 + size % 61;
    if (!read(reinterpret_cast<const char*>(data), size, chunk, root, colours))
        return 0;
    const std::string first = OverlayFuzz::writeTree(root, &colours);
    QTreeWidgetItem again;
    OverlayFuzz::Colours coloursAgain;
    if (!read(first.data(), first.size(), 4096, again, coloursAgain))
        std::abort(); // our own output must read
    if (OverlayFuzz::writeTree(again, &coloursAgain) != first)
        std::abort(); // and read back to the same document
    return 0;
}
