#include "client/platform/ZelSckClientMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

#include "client/platform/SocketStream.h"
#include "core/CertFingerprint.h"
#include "core/NetAddress.h"

ZelSckClientMain::ZelSckClientMain(QObject* parent) : QObject(parent) {
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        if (!ready_) {
            RaiseError();
            if (stream_) stream_->Abort();
        }
    });
}

bool ZelSckClientMain::OpenStream() {
    const QString folder =
        LibraryFolder.empty() ? QCoreApplication::applicationDirPath() : QString::fromStdString(LibraryFolder);
    library_.setFileName(QDir(folder).filePath(QString::fromLatin1(kSocketStreamLibrary)));
    const auto newStream = reinterpret_cast<NewSocketStreamFunction>(library_.resolve(kNewSocketStream));
    if (!newStream) return false;
    stream_.reset(newStream());
    if (!stream_) return false;
    stream_->OnConnected = [this] {
        if (pin_.empty()) HandleConnected();
    };
    stream_->OnEncrypted = [this] { HandleEncrypted(); };
    stream_->OnReadyRead = [this] { HandleReadyRead(); };
    stream_->OnDisconnected = [this] {
        if (ready_) RaiseClose();
        else RaiseError();  // ended during the handshake
    };
    stream_->OnError = [this](bool remoteClosed) {
        if (remoteClosed && ready_) RaiseClose();
        else RaiseError();
    };
    return true;
}

ZelSckClientMain::~ZelSckClientMain() {
    connectTimer_.stop();
    if (stream_) stream_->Abort();
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
    if (stream_ || !OpenStream()) {  // one connection a control; no library, no connection
        QTimer::singleShot(0, this, &ZelSckClientMain::RaiseError);
        return;
    }
    if (pin) pin_ = *pin;
    connectTimer_.start(std::max<std::int32_t>(1, lngTimeoutSeconds) * 1000);
    stream_->Open(host, static_cast<std::uint16_t>(lngPort), pin.has_value());
}

bool ZelSckClientMain::IsConnected() const {
    return recorder_ ? true : stream_ && stream_->IsOpen() && ready_ && !ended_;
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
    return stream_->Write(frame.data(), frame.size());
}

void ZelSckClientMain::HandleEncrypted() {
    const std::string seen = stream_->PeerCertificateSha256();
    if (seen.empty() || seen != pin_) {  // not the server the lobby pinned
        RaiseError();
        stream_->Abort();
        return;
    }
    HandleConnected();
}

void ZelSckClientMain::HandleConnected() {
    connectTimer_.stop();
    ready_ = true;
    stream_->SetLowDelay();
    if (!ticket_.empty()) {
        const Bytes hello = Framing::EncodeHello(ticket_);
        stream_->Write(hello.data(), hello.size());
    }
    if (OnConnected) OnConnected();
}

void ZelSckClientMain::HandleReadyRead() {
    const QByteArray chunk = stream_->ReadAll();
    decoder_.Feed(reinterpret_cast<const std::uint8_t*>(chunk.constData()), static_cast<std::size_t>(chunk.size()));
    // One message at a time: a handler that waits may serve later messages in between,
    // in their order.
    Bytes message;
    while (!ended_ && decoder_.Next(message)) {
        if (OnDataArrival) OnDataArrival(message);
    }
    if (decoder_.Failed() && !ended_) {
        RaiseError();
        stream_->Abort();
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
