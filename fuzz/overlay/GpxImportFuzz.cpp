// Feeds arbitrary bytes to the GPX import as a file would be loaded (both
// name codings), then exports the imported tree as GPX and imports that
// again: the second import must give as many elements as the export wrote.
#include "OverlayFuzzSupport.h"

#include "CharBufferReader.h"
#include "DrawTreeItem.h"
#include "GpxFormat.h"
#include "XML_Error.h"
#include "XML_ToStreamParser.h"

#include <cstdint>

namespace {

bool import(const char* data, std::size_t size, std::size_t chunk, bool utf8, QTreeWidgetItem& root) {
    UserDraw::UD1_XML_TreeStreamTarget tree(&root, nullptr);
    UserDraw::GPX::ParserTarget target(tree);
    target.setUtf8Names(utf8);
    XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromMemory>(data, size, chunk));
    try {
        return parser.parse(target);
    } catch (const XML_Error&) {
    } catch (const XML_EndOfInput&) {
    }
    return false;
}

// Elements below `node`, folders flattened (as the export writes them).
int elements(const QTreeWidgetItem* node) {
    int count = 0;
    for (int i = 0; i < node->childCount(); ++i)
        count += dynamic_cast<DrawTreeFolder*>(itemOf(node->child(i))) ? elements(node->child(i)) : 1;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    OverlayFuzz::initialise();
    const char* bytes = reinterpret_cast<const char*>(data);
    QTreeWidgetItem root;
    const bool utf8 = size % 2 == 0;
    if (!import(bytes, size, 1 + size % 53, utf8, root))
        return 0;
    char* buffer = nullptr;
    std::size_t length = 0;
    {
        UserDraw::ConverterQVOtoGPX converter(std::make_unique<XML_StreamWriter>(open_memstream(&buffer, &length)));
        converter.startDocument();
        UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(nullptr, &root, converter);
        if (!converter.close(true))
            std::abort();
    }
    const std::string exported(buffer, length);
    std::free(buffer);
    QTreeWidgetItem again;
    if (!import(exported.data(), exported.size(), 4096, false, again))
        std::abort(); // our own export must import
    if (elements(&again) != elements(&root))
        std::abort();
    return 0;
}
