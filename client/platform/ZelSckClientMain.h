// The room socket control: one connection to the room server, carrying whole messages in
// length-prefixed frames. The address text may carry a seat ticket behind the host
// ("HOST#TICKET"); the control then opens the connection with a hello frame. A third
// field pins the server's certificate ("HOST#TICKET#FINGERPRINT", the SHA-256 in hex): the
// connection is then TLS, and the server must show exactly that certificate. Without a
// pin only a loopback host is reached, over plain TCP; any other host is an error.
// The connection itself is a SocketStream from the library beside the table program, opened
// at the first Connect.
#pragma once
#include <QLibrary>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "core/Bytes.h"
#include "core/Framing.h"

class SocketStream;

class ZelSckClientMain : public QObject {
    Q_OBJECT
public:
    explicit ZelSckClientMain(QObject* parent = nullptr);
    // Ends the connection without raising OnClose or OnError: the owner is going away.
    ~ZelSckClientMain() override;

    // The control draws nothing; these are kept for the main window's load steps.
    bool Visible = false;
    // When on, the control shows its own error boxes; the table client keeps it off.
    bool ShowErrors = false;
    // The folder of the stream library (the table program's, ending in '/'); empty: the
    // running program's folder. A library that cannot be opened fails the connection.
    std::string LibraryFolder;

    // Opens the connection. lngTimeoutSeconds bounds the wait for it (the client passes
    // 120); when it passes, OnError is raised. The program hears of the connection only
    // through OnConnected.
    void Connect(const std::string& strAddress, std::int32_t lngPort, std::int32_t lngTimeoutSeconds);

    // Sends bytes first..last as one message. Refused (false) while not connected, or
    // for a range that is empty, out of the array or longer than a frame.
    bool SendData(const Bytes& data, std::size_t first, std::size_t last);

    bool IsConnected() const;

    std::function<void()> OnConnected;
    std::function<void(const Bytes&)> OnDataArrival;  // exactly one whole message
    std::function<void()> OnClose;
    std::function<void()> OnError;

    // Test seam: with a recorder attached, Connect reports the connection at once and
    // every sent message goes to the recorder instead of a socket.
    void AttachRecorder(std::function<void(const Bytes&)> recorder);

private:
    // The stream of the connection: plain TCP, or TLS when a pin is given. Made when the
    // connection opens, so a plain connection never starts the TLS library; false when
    // the library gives none.
    bool OpenStream();
    void HandleConnected();
    void HandleEncrypted();
    void HandleReadyRead();
    void RaiseError();
    void RaiseClose();

    QLibrary library_;  // declared before the stream it makes, so unloaded after it
    std::unique_ptr<SocketStream> stream_;
    QTimer connectTimer_;
    Framing::FrameDecoder decoder_;
    std::string ticket_;
    std::string pin_;     // the pinned fingerprint; empty: plain TCP
    bool ready_ = false;  // connected, and through the handshake when TLS
    bool ended_ = false;  // OnClose or OnError already raised
    std::function<void(const Bytes&)> recorder_;
};
