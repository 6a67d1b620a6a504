// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

namespace Qorvin::LocalService {

// One request as the connection read it; the body is never kept (this service serves GET and HEAD).
struct HttpRequest
{
    QByteArray method;
    QByteArray target; // as sent: origin-form "/m?..." or proxy-form "http://host/m?..."
    QUrl url;
    int versionMajor = 1;
    int versionMinor = 1;
    QList<QPair<QByteArray, QByteArray>> headers;

    // The first header of that name (case-insensitive), or an empty array.
    QByteArray header(QByteArrayView name) const
    {
        for (const auto& field : headers) {
            if (field.first.compare(name, Qt::CaseInsensitive) == 0)
                return field.second;
        }
        return {};
    }
    bool isHead() const { return method == "HEAD"; }
};

} // namespace Qorvin::LocalService
