// tilelink-net.so: the room socket control's byte stream over Qt Network, one
// connection a stream, plain TCP or TLS.
#include <QCryptographicHash>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <memory>

#include "client/platform/SocketStream.h"

namespace {

class QtSocketStream : public SocketStream {
public:
    ~QtSocketStream() override { Abort(); }

    void Open(const std::string& host, std::uint16_t port, bool tls) override {
        if (socket_) return;
        if (tls) {
            auto* ssl = new QSslSocket;
            QObject::connect(ssl, &QSslSocket::encrypted, ssl, [this] {
                if (OnEncrypted) OnEncrypted();
            });
            QObject::connect(ssl, &QSslSocket::sslErrors, ssl,
                             [ssl](const QList<QSslError>& errors) { ssl->ignoreSslErrors(errors); });
            socket_.reset(ssl);
        } else {
            socket_ = std::make_unique<QTcpSocket>();
        }
        QTcpSocket* s = socket_.get();
        QObject::connect(s, &QTcpSocket::connected, s, [this] {
            if (OnConnected) OnConnected();
        });
        QObject::connect(s, &QTcpSocket::readyRead, s, [this] {
            if (OnReadyRead) OnReadyRead();
        });
        QObject::connect(s, &QTcpSocket::disconnected, s, [this] {
            if (OnDisconnected) OnDisconnected();
        });
        QObject::connect(s, &QTcpSocket::errorOccurred, s, [this](QAbstractSocket::SocketError e) {
            if (OnError) OnError(e == QAbstractSocket::RemoteHostClosedError);
        });
        if (!tls) {
            s->connectToHost(QString::fromStdString(host), port);
            return;
        }
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setProtocol(QSsl::TlsV1_2OrLater);
        config.setPeerVerifyMode(QSslSocket::QueryPeer);
        auto* ssl = static_cast<QSslSocket*>(s);
        ssl->setSslConfiguration(config);
        ssl->connectToHostEncrypted(QString::fromStdString(host), port);
    }

    bool IsOpen() const override { return socket_ && socket_->state() == QAbstractSocket::ConnectedState; }

    bool Write(const std::uint8_t* data, std::size_t size) override {
        if (!socket_) return false;
        return socket_->write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
               static_cast<qint64>(size);
    }

    QByteArray ReadAll() override { return socket_ ? socket_->readAll() : QByteArray(); }

    std::string PeerCertificateSha256() const override {
        const auto* ssl = dynamic_cast<const QSslSocket*>(socket_.get());
        if (!ssl) return {};
        const QByteArray der = ssl->peerCertificate().toDer();
        if (der.isEmpty()) return {};
        return QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex().toStdString();
    }

    void SetLowDelay() override {
        if (socket_) socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    void Abort() override {
        if (!socket_) return;
        socket_->disconnect();
        socket_->abort();
    }

private:
    std::unique_ptr<QTcpSocket> socket_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) SocketStream* tilelink_NewSocketStream() {
    return new QtSocketStream;
}
