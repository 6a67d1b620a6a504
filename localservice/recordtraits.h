// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/song.h"

namespace Qorvin::LocalService {

// How a result record of the search shows one copy of a song. Every choice comes from a seeded
// hash of the song id (and the copy's mirror number), so the same request always gives the same
// page. The rates, also listed in localservice/README.md:
//   mirrors          88% of songs on one mirror host, 8% on two, 4% on three; every copy is
//                    a record of its own, with the same name
//   ".MP3"           10% of records end their address in upper case
//   "请参照"          3% of records show a notice instead of an address
//   title            "name - singer"; 25% of these add " [128K]" or a like bitrate after it;
//                    3% show the name alone (no " - "); 2% begin with "-" ("-name - singer")
//   dot "・"          4% of records write the name's "·" as U+30FB, which is outside GB2312 and
//                    GBK and so reaches the browser as the reference &#12539;
// Names outside GB2312 come besides from the catalogue itself: 4.4% of its songs hold a
// character of GBK's extension, 14 songs one outside GBK.
enum class TitleForm
{
    NameDashSinger,
    NameDashSingerBitrate,
    NameOnly,
    LeadingDash,
};

struct RecordTraits
{
    int mirror = 1; // 1-based
    bool upperCaseExtension = false;
    bool referNotice = false;
    bool variantDot = false;
    TitleForm titleForm = TitleForm::NameDashSinger;
    int bitrate = 128; // kbit/s, shown by NameDashSingerBitrate
};

// 1, 2 or 3.
int mirrorCountOf(SongId id);

RecordTraits recordTraitsOf(SongId id, int mirror);

} // namespace Qorvin::LocalService
