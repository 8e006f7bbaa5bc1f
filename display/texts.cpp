#include "display/texts.h"

const TextEntry kTextEntries[kTextCount] = {
#define TUNELAMP_TEXT_ENTRY(key, english, where) {#key, english},
    TUNELAMP_TEXTS(TUNELAMP_TEXT_ENTRY)
#undef TUNELAMP_TEXT_ENTRY
};
