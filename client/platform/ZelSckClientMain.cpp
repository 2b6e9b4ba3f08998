#include "client/platform/ZelSckClientMain.h"

#include <QCryptographicHash>
#include <QMessageBox>
#include <QSslConfiguration>
#include <QSslSocket>

#include "core/CertFingerprint.h"
#include "core/NetAddress.h"

ZelSckClientMain::ZelSckClientMain(QObject* parent) : QObject(parent) {
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        if (!ready_) {
            RaiseError();
            if (socket_) socket_->abort();
        }
    });
}

void ZelSckClientMain::OpenSocket(bool tls) {
    QTcpSocket* socket = nullptr;
    if (tls) {
        auto* ssl = new QSslSocket;
        connect(ssl, &QSslSocket::encrypted, this, &ZelSckClientMain::HandleEncrypted);
        // The certificate is self-signed: what an authority would say does not matter, the
        // pin is checked once the handshake is through.
        connect(ssl, &QSslSocket::sslErrors, this,
                [ssl](const QList<QSslError>& errors) { ssl->ignoreSslErrors(errors); });
        socket = ssl;
    } else {
        socket = new QTcpSocket;
    }
    socket_.reset(socket);
    connect(socket, &QTcpSocket::connected, this, [this] {
        if (pin_.empty()) HandleConnected();
    });
    connect(socket, &QTcpSocket::readyRead, this, &ZelSckClientMain::HandleReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        if (ready_) RaiseClose();
        else RaiseError();  // ended during the handshake
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e == QAbstractSocket::RemoteHostClosedError && ready_) RaiseClose();
        else RaiseError();
    });
}

ZelSckClientMain::~ZelSckClientMain() {
    connectTimer_.stop();
    if (!socket_) return;
    socket_->disconnect(this);
    socket_->abort();
}

void ZelSckClientMain::AttachRecorder(std::function<void(const Bytes&)> recorder) { recorder_ = std::move(recorder); }

void ZelSckClientMain::Connect(const std::string& strAddress, std::int32_t lngPort, std::int32_t lngTimeoutSeconds) {
    std::string host = strAddress;
    std::string pinText;
    const std::size_t hash = strAddress.find('#');
    if (hash != std::string::npos) {
        host = strAddress.substr(0, hash);
        ticket_ = strAddress.substr(hash + 1);
        const std::size_t hash2 = ticket_.find('#');
        if (hash2 != std::string::npos) {
            pinText = ticket_.substr(hash2 + 1);
            ticket_.resize(hash2);
        }
    }
    if (recorder_) {
        QTimer::singleShot(0, this, [this] {
            if (OnConnected) OnConnected();
        });
        return;
    }
    // A pin that does not read as a fingerprint, or a host off this machine without one:
    // nothing is sent in clear, the connection fails.
    const auto pin = CertFingerprint::Parse(pinText);
    const bool badPin = !pinText.empty() && !pin;
    if (lngPort < 1 || lngPort > 65535 || host.empty() || badPin || (!pin && !NetAddress::IsLoopback(host))) {
        QTimer::singleShot(0, this, &ZelSckClientMain::RaiseError);
        return;
    }
    connectTimer_.start(std::max<std::int32_t>(1, lngTimeoutSeconds) * 1000);
    OpenSocket(pin.has_value());
    if (!pin) {
        socket_->connectToHost(QString::fromStdString(host), static_cast<quint16>(lngPort));
        return;
    }
    pin_ = *pin;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::QueryPeer);
    auto& ssl = static_cast<QSslSocket&>(*socket_);
    ssl.setSslConfiguration(tls);
    ssl.connectToHostEncrypted(QString::fromStdString(host), static_cast<quint16>(lngPort));
}

bool ZelSckClientMain::IsConnected() const {
    return recorder_ ? true : socket_ && socket_->state() == QAbstractSocket::ConnectedState && ready_ && !ended_;
}

bool ZelSckClientMain::SendData(const Bytes& data, std::size_t first, std::size_t last) {
    if (!IsConnected() || data.empty() || first > last || last >= data.size()) return false;
    if (last - first + 1 > Framing::kMaxMessage) return false;
    if (recorder_) {
        recorder_(Bytes(data.begin() + static_cast<std::ptrdiff_t>(first),
                        data.begin() + static_cast<std::ptrdiff_t>(last) + 1));
        return true;
    }
    const Bytes frame = Framing::EncodeFrame(data.data() + first, last - first + 1);
    return socket_->write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size())) ==
           static_cast<qint64>(frame.size());
}

void ZelSckClientMain::HandleEncrypted() {
    const QByteArray der = static_cast<QSslSocket&>(*socket_).peerCertificate().toDer();
    // Qt's own SHA-256: the table program does not load the system's crypto library for it.
    const std::string seen = QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex().toStdString();
    if (der.isEmpty() || seen != pin_) {  // not the server the lobby pinned
        RaiseError();
        socket_->abort();
        return;
    }
    HandleConnected();
}

void ZelSckClientMain::HandleConnected() {
    connectTimer_.stop();
    ready_ = true;
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!ticket_.empty()) {
        const Bytes hello = Framing::EncodeHello(ticket_);
        socket_->write(reinterpret_cast<const char*>(hello.data()), static_cast<qint64>(hello.size()));
    }
    if (OnConnected) OnConnected();
}

void ZelSckClientMain::HandleReadyRead() {
    const QByteArray chunk = socket_->readAll();
    decoder_.Feed(reinterpret_cast<const std::uint8_t*>(chunk.constData()), static_cast<std::size_t>(chunk.size()));
    // One message at a time: a handler that waits may serve later messages in between,
    // in their order.
    Bytes message;
    while (!ended_ && decoder_.Next(message)) {
        if (OnDataArrival) OnDataArrival(message);
    }
    if (decoder_.Failed() && !ended_) {
        RaiseError();
        socket_->abort();
    }
}

void ZelSckClientMain::RaiseError() {
    if (ended_) return;
    ended_ = true;
    connectTimer_.stop();
    if (ShowErrors) QMessageBox::warning(nullptr, QString(), QStringLiteral("网络连接出错"));
    if (OnError) OnError();
}

void ZelSckClientMain::RaiseClose() {
    if (ended_) return;
    ended_ = true;
    connectTimer_.stop();
    if (OnClose) OnClose();
}
