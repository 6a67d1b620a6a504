// SPDX-License-Identifier: MIT
// The tags MP3 files carried when the service's songs were shared, so that a downloader meets what
// it would have met then. Chosen per song id by a seeded hash, so a file never changes:
//   1/3  an ID3v2.3 tag whose title, singer and album are GBK bytes marked Latin-1, and an ID3v1
//        tag in GBK; half of these with an advert comment ("www.mp3.example")
//   1/6  a correct ID3v2.3 tag in UTF-16 with a small JPEG cover
//   1/12 a correct ID3v2.3 title in UTF-16 and an advert comment
//   the rest (5/12) no tag at all
// A song whose name or singer GBK cannot encode gets the UTF-16 tag instead of the GBK one.
#pragma once

#include "localservice/song.h"

#include <QByteArray>

namespace Qorvin::LocalService {

enum class PeriodTagKind
{
    None,
    GbkAsLatin1,
    GbkAsLatin1WithAdvert,
    Utf16WithCover,
    Utf16WithAdvert,
};

struct PeriodTags
{
    PeriodTagKind kind = PeriodTagKind::None;
    QByteArray front; // an ID3v2 tag before the frames, or nothing
    QByteArray back;  // an ID3v1 tag after them, or nothing
};

// song: the catalogue's entry for id; nullptr for an id outside the catalogue (no tag then).
PeriodTags periodTagsOf(SongId id, const Song* song);

// The album the tags name: the collection the catalogue's songs come from.
QString periodAlbum();

} // namespace Qorvin::LocalService
