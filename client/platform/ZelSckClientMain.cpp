#include "client/platform/ZelSckClientMain.h"

#include <QMessageBox>

ZelSckClientMain::ZelSckClientMain(QObject* parent) : QObject(parent) {
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        if (socket_.state() != QAbstractSocket::ConnectedState) {
            RaiseError();
            socket_.abort();
        }
    });
    connect(&socket_, &QTcpSocket::connected, this, &ZelSckClientMain::HandleConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &ZelSckClientMain::HandleReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &ZelSckClientMain::RaiseClose);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e == QAbstractSocket::RemoteHostClosedError)
            RaiseClose();
        else
            RaiseError();
    });
}

void ZelSckClientMain::AttachRecorder(std::function<void(const Bytes&)> recorder) {
    recorder_ = std::move(recorder);
}

void ZelSckClientMain::Connect(const std::string& strAddress, std::int32_t lngPort, std::int32_t lngTimeoutSeconds) {
    std::string host = strAddress;
    const std::size_t hash = strAddress.find('#');
    if (hash != std::string::npos) {
        host = strAddress.substr(0, hash);
        ticket_ = strAddress.substr(hash + 1);
    }
    if (recorder_) {
        QTimer::singleShot(0, this, [this] {
            if (OnConnected) OnConnected();
        });
        return;
    }
    if (lngPort < 1 || lngPort > 65535 || host.empty()) {
        QTimer::singleShot(0, this, &ZelSckClientMain::RaiseError);
        return;
    }
    connectTimer_.start(std::max<std::int32_t>(1, lngTimeoutSeconds) * 1000);
    socket_.connectToHost(QString::fromStdString(host), static_cast<quint16>(lngPort));
}

bool ZelSckClientMain::IsConnected() const {
    return recorder_ ? true : socket_.state() == QAbstractSocket::ConnectedState && !ended_;
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
    return socket_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size())) ==
           static_cast<qint64>(frame.size());
}

void ZelSckClientMain::HandleConnected() {
    connectTimer_.stop();
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!ticket_.empty()) {
        const Bytes hello = Framing::EncodeHello(ticket_);
        socket_.write(reinterpret_cast<const char*>(hello.data()), static_cast<qint64>(hello.size()));
    }
    if (OnConnected) OnConnected();
}

void ZelSckClientMain::HandleReadyRead() {
    const QByteArray chunk = socket_.readAll();
    decoder_.Feed(reinterpret_cast<const std::uint8_t*>(chunk.constData()), static_cast<std::size_t>(chunk.size()));
    // One message at a time: a handler that waits may serve later messages in between,
    // in their order.
    Bytes message;
    while (!ended_ && decoder_.Next(message)) {
        if (OnDataArrival) OnDataArrival(message);
    }
    if (decoder_.Failed() && !ended_) {
        RaiseError();
        socket_.abort();
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
