// SPDX-License-Identifier: MIT
#include "localservice/recordtraits.h"

#include "localservice/seededhash.h"

namespace Qorvin::LocalService {

namespace {

// A number in [0, 100) for one decision about one copy of a song.
int percentile(SongId id, int mirror, std::uint64_t decision)
{
    const std::uint64_t key = (std::uint64_t(id) << 8) | std::uint64_t(mirror);
    return int(seededHash(key, decision) % 100);
}

enum Decision : std::uint64_t
{
    Mirrors = 1,
    Extension,
    Notice,
    Title,
    Dot,
    Bitrate,
};

} // namespace

int mirrorCountOf(SongId id)
{
    const int p = percentile(id, 0, Mirrors);
    return p < 4 ? 3 : p < 12 ? 2 : 1;
}

RecordTraits recordTraitsOf(SongId id, int mirror)
{
    RecordTraits traits;
    traits.mirror = mirror;
    traits.upperCaseExtension = percentile(id, mirror, Extension) < 10;
    traits.referNotice = percentile(id, mirror, Notice) < 3;
    traits.variantDot = percentile(id, mirror, Dot) < 4;
    const int title = percentile(id, mirror, Title);
    traits.titleForm = title < 3    ? TitleForm::NameOnly
                       : title < 5  ? TitleForm::LeadingDash
                       : title < 29 ? TitleForm::NameDashSingerBitrate
                                    : TitleForm::NameDashSinger;
    static constexpr int bitrates[] = {64, 96, 128, 128, 160, 192};
    traits.bitrate = bitrates[percentile(id, mirror, Bitrate) % 6];
    return traits;
}

} // namespace Qorvin::LocalService
