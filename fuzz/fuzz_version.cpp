// Reads arbitrary bytes as a PE image, looks for its version resource and scans
// that (and the raw bytes themselves) for the version fields. Nothing may crash,
// hang or read outside the input; a found block must be a piece of the input.
#include "support/PeVersion.h"
#include "support/modFile.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace worktide;
    const QByteArrayView image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray block = ExtractVersionResource(image);
    if (block.size() > 0x10000 || (!block.isEmpty() && image.indexOf(block) < 0)) {
        std::fprintf(stderr, "block of %lld bytes is not a piece of the input\n", static_cast<long long>(block.size()));
        std::abort();
    }
    for (const QByteArray& b : {block, image.toByteArray()}) {
        const QStringList fields = VersionFieldsFromBlock(b);
        if (!(fields.isEmpty() ? b.isEmpty() : fields.size() == 13)) {
            std::fprintf(stderr, "%lld fields\n", static_cast<long long>(fields.size()));
            std::abort();
        }
    }
    return 0;
}
