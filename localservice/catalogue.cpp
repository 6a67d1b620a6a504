// SPDX-License-Identifier: MIT
#include "localservice/catalogue.h"

#include <QFile>
#include <QHash>

namespace Qorvin::LocalService {

namespace {

QString resourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the built-in catalogue resource %s is missing", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

} // namespace

const Catalogue& Catalogue::builtIn()
{
    static const Catalogue catalogue =
        fromText(resourceText(QStringLiteral(":/qorvin/localservice/catalogue.tsv")),
                 resourceText(QStringLiteral(":/qorvin/localservice/songci300.txt")));
    return catalogue;
}

Catalogue Catalogue::fromText(QStringView catalogueText, QStringView classicsText)
{
    Catalogue catalogue;
    QHash<QStringView, SongId> firstByName;
    for (QStringView line : catalogueText.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        catalogue.m_songs.append(
            Song{line.first(tab).trimmed().toString(), line.sliced(tab + 1).trimmed().toString()});
    }
    for (SongId id = 0; id < catalogue.m_songs.size(); ++id) {
        if (!firstByName.contains(catalogue.m_songs[id].name))
            firstByName.insert(catalogue.m_songs[id].name, id);
    }

    for (QStringView line : classicsText.split(u'\n', Qt::SkipEmptyParts)) {
        const auto it = firstByName.constFind(line.trimmed());
        if (it != firstByName.constEnd() && !catalogue.m_classics.contains(*it))
            catalogue.m_classics.append(*it);
    }
    catalogue.m_index = SongIndex(catalogue.m_songs);
    return catalogue;
}

} // namespace Qorvin::LocalService
