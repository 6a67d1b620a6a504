// SPDX-License-Identifier: MIT
#include "localservice/mp3encoder.h"

#include <lame/lame.h>

#include <memory>

namespace Qorvin::LocalService {

namespace {

struct LameCloser
{
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

} // namespace

Mp3Result encodeMp3(const QList<qint16>& samples, int sampleRate, int kbps)
{
    const std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame)
        return {{}, QStringLiteral("libmp3lame could not start")};
    lame_set_num_channels(lame.get(), 1);
    lame_set_mode(lame.get(), MONO);
    lame_set_in_samplerate(lame.get(), sampleRate);
    lame_set_out_samplerate(lame.get(), sampleRate);
    lame_set_brate(lame.get(), kbps);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_quality(lame.get(), 7); // fast; the tune is a plain sine
    lame_set_bWriteVbrTag(lame.get(), 0);
    // Every frame carries its own audio, so frames can be repeated and reordered freely.
    lame_set_disable_reservoir(lame.get(), 1);
    if (lame_init_params(lame.get()) < 0)
        return {{}, QStringLiteral("libmp3lame refused %1 Hz at %2 kbit/s").arg(sampleRate).arg(kbps)};

    // The size libmp3lame asks for: 1.25 times the samples plus 7200 bytes.
    QByteArray mp3(samples.size() * 5 / 4 + 7200, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(mp3.data());
    const int encoded = lame_encode_buffer(lame.get(), samples.constData(), nullptr, int(samples.size()), out,
                                           int(mp3.size()));
    if (encoded < 0)
        return {{}, QStringLiteral("libmp3lame failed (%1)").arg(encoded)};
    const int flushed = lame_encode_flush(lame.get(), out + encoded, int(mp3.size()) - encoded);
    if (flushed < 0)
        return {{}, QStringLiteral("libmp3lame failed to flush (%1)").arg(flushed)};
    mp3.truncate(encoded + flushed);
    return {mp3, {}};
}

} // namespace Qorvin::LocalService
