// SPDX-License-Identifier: MIT
// The errors the network manager's replies report, for a reply that reads its own socket.
#pragma once

#include <QAbstractSocket>
#include <QNetworkReply>

namespace Qorvin {

// The error a reply carries for an HTTP status: none below 400.
QNetworkReply::NetworkError errorOfStatus(int status);

// The error for a socket's failure; viaProxy names the proxy's errors for the connection's.
QNetworkReply::NetworkError errorOfSocket(QAbstractSocket::SocketError error, bool viaProxy);

} // namespace Qorvin
