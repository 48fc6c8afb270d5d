// Feeds arbitrary bytes through the rewrite pass and checks, on every input, what a user relies
// on: a patched file patches to itself, nothing but blank lines and contrail/temperature lines
// is ever touched, every line ends in CR LF, and the reported counts are the lines inserted.
//
// The options come from the tail of the input (FuzzedDataProvider reads integers from the end),
// so a plain aircraft.cfg from the seed corpus still reaches the pass nearly whole.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "patcher/byte_text.h"
#include "patcher/patch_options.h"
#include "tests/support/rewrite_invariants.h"
#include "tests/support/samples.h"

namespace {

using cirrowisp::CodePage;
using cirrowisp::PatchOptions;

CodePage doubleByteCodePage() {
    // The lead bytes of code page 932: a trail byte may look like an ASCII letter or "=".
    CodePage codePage;
    for (int byte = 0x81; byte <= 0x9f; ++byte) {
        codePage.setLeadByte(static_cast<unsigned char>(byte), true);
    }
    for (int byte = 0xe0; byte <= 0xfc; ++byte) {
        codePage.setLeadByte(static_cast<unsigned char>(byte), true);
    }
    return codePage;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);

    PatchOptions options;
    const auto engines = provider.ConsumeIntegral<std::uint8_t>();
    cirrowisp::selectEngines(options, engines % cirrowisp::kEngineChoices);
    const bool doubleByte = ((engines >> 6) & 1) != 0;
    options.maxContrailTemperature = provider.ConsumeIntegralInRange<std::int32_t>(
        cirrowisp::kMinContrailTemperature, cirrowisp::kMaxContrailTemperature);
    // Effect names a user can type, including ones that look like parts of the format.
    static constexpr std::array<const char*, 5> kEffects = {"fx_Cirrowisp", "fx_contrail_ck", "=",
                                                            "[x]", ""};
    options.effectName =
        kEffects[provider.ConsumeIntegralInRange<std::size_t>(0, kEffects.size() - 1)];
    const std::string input = provider.ConsumeRemainingBytesAsString();

    static const CodePage kDoubleByte = doubleByteCodePage();
    static const CodePage kSingleByte;
    const CodePage& codePage = doubleByte ? kDoubleByte : kSingleByte;
    CodePage::setActive(codePage);

    const std::string broken = cirrowisp::checkRewriteInvariants(options, input);
    if (!broken.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
