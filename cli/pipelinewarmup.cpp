// SPDX-License-Identifier: MIT
#include "cli/pipelinewarmup.h"

#include "app/legacyhtml/legacyinnerhtml.h"
#include "base/gbktext.h"
#include "cli/pagedecoding.h"
#include "resultpage/resultpagewriter.h"

#include <QStringList>

namespace Qorvin::Cli {

using namespace Qt::StringLiterals;

void warmUpPagePipeline()
{
    // One result row in the shape the service's pages have, in the charset they declare.
    const QString title = u"样例歌曲 - 样例"_s;
    const QString link = u"http://music.example/a.mp3"_s;
    const QString sample = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                           u"charset=gb2312\"><title>样例</title></head><body><table><tr><td "
                           u"class=src>来源：&nbsp;"_s +
                           link + u"</td><td><A href=\""_s + link + u"\" target=_blank>"_s + title +
                           u"</A></td></tr></table></body></html>"_s;
    const QByteArray bytes = gbkBytes(sample).value_or(QByteArray());
    const QString innerHtml = legacyInnerHtml(decodePage(bytes, "text/html"));
    const QByteArray page = resultPageBytes(title, QStringList{title}, QStringList{link});
    Q_UNUSED(innerHtml);
    Q_UNUSED(page);
}

} // namespace Qorvin::Cli
