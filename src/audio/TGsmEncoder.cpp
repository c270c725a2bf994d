#include "TGsmEncoder.h"
#include <gsm.h>
#include <new>

static_assert(sizeof(gsm_signal) == sizeof(int16_t));

namespace {
gsm createState()
{
    gsm g = gsm_create();
    if (!g)
        throw std::bad_alloc();
    int one = 1;
    gsm_option(g, GSM_OPT_WAV49, &one);
    return g;
}
}

TGsmEncoder::TGsmEncoder() : FState(createState()) {}

TGsmEncoder::~TGsmEncoder()
{
    gsm_destroy(static_cast<gsm>(FState));
}

void TGsmEncoder::Reset()
{
    gsm fresh = createState();
    gsm_destroy(static_cast<gsm>(FState));
    FState = fresh;
}

void TGsmEncoder::EncodeBlock(const int16_t *samples, uint8_t *block)
{
    gsm g = static_cast<gsm>(FState);
    // With WAV49 the encoder alternates between a 32-byte and a 33-byte frame.
    gsm_encode(g, const_cast<gsm_signal *>(reinterpret_cast<const gsm_signal *>(samples)), block);
    gsm_encode(g, const_cast<gsm_signal *>(reinterpret_cast<const gsm_signal *>(samples + 160)), block + 32);
}
