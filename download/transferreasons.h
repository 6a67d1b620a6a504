// SPDX-License-Identifier: MIT
// How a download reads an HTTP answer that failed: whether trying again may help, and the reason
// in Chinese.
#pragma once

#include <QNetworkReply>
#include <QString>
#include <QUrl>

namespace Qorvin {

// Redirects a download follows before it gives up.
constexpr int MaxRedirects = 5;

// 408, 429 and the 5xx answers: the same request may succeed later.
bool isTransientStatus(int status);
// Network failures that may pass: a refused or closed connection, a timeout.
bool isTransientError(QNetworkReply::NetworkError error);

// The reason for a failed request of url, which the reason names where it matters.
QString networkErrorReason(QNetworkReply::NetworkError error, const QUrl& url, const QString& detail);
// The reason for an answer with an unusable status.
QString statusReason(int status);

// The address an error concerns: the target of a redirect that was refused, else the address
// last asked for.
QUrl failedAddress(const QNetworkReply* reply);

} // namespace Qorvin
