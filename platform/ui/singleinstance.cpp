#include "platform/ui/singleinstance.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QStandardPaths>
#include <QString>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/core/quietwarnings.h"

namespace fw::singleinstance {

namespace {

// The message of a later start: a fixed line, the number of documents, then each path as a
// length and its bytes (little-endian 32-bit numbers). The running program answers "ok\n" once
// it has taken them.
constexpr char kMagic[] = "vimbel-open 1\n";
constexpr qsizetype kMagicSize = sizeof(kMagic) - 1;
constexpr char kTaken[] = "ok\n";
constexpr qsizetype kTakenSize = sizeof(kTaken) - 1;
// Bounds on what the running program reads from one start.
constexpr std::uint32_t kMaxDocuments = 65536;
constexpr std::uint32_t kMaxPathBytes = 65536;
constexpr qsizetype kMaxMessageBytes = 16 * 1024 * 1024;
// How long a start keeps trying to reach or become the running program, and how long the
// running one waits for a started message to be complete.
constexpr int kClaimMilliseconds = 20000;
constexpr int kMessageMilliseconds = 10000;

struct State {
    Role role = Role::Alone;
    bool claimed = false;
    QPointer<QLocalServer> server;
    QString socketPath;
    Receiver receiver;
};

State& state() {
    static auto* s = new State;  // lives as long as the process: the lock must not be released
    return *s;
}

void appendNumber(QByteArray& out, std::uint32_t n) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((n >> shift) & 0xFFu));
}

std::uint32_t numberAt(const QByteArray& in, qsizetype at) {
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return n;
}

QByteArray encode(const std::vector<std::string>& documents) {
    QByteArray out(kMagic, kMagicSize);
    appendNumber(out, static_cast<std::uint32_t>(documents.size()));
    for (const std::string& path : documents) {
        appendNumber(out, static_cast<std::uint32_t>(path.size()));
        out.append(path.data(), static_cast<qsizetype>(path.size()));
    }
    return out;
}

enum class Parsed { Incomplete, Complete, Invalid };

Parsed decode(const QByteArray& in, std::vector<std::string>& documents) {
    documents.clear();
    if (in.size() > kMaxMessageBytes)
        return Parsed::Invalid;
    const qsizetype head = std::min(in.size(), kMagicSize);
    if (in.left(head) != QByteArray(kMagic, head))
        return Parsed::Invalid;
    qsizetype at = kMagicSize;
    if (in.size() < at + 4)
        return Parsed::Incomplete;
    const std::uint32_t count = numberAt(in, at);
    at += 4;
    if (count > kMaxDocuments)
        return Parsed::Invalid;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (in.size() < at + 4)
            return Parsed::Incomplete;
        const std::uint32_t length = numberAt(in, at);
        at += 4;
        if (length == 0 || length > kMaxPathBytes)
            return Parsed::Invalid;
        if (in.size() < at + static_cast<qsizetype>(length))
            return Parsed::Incomplete;
        documents.emplace_back(in.constData() + at, length);
        if (documents.back().front() != '/' || documents.back().find('\0') != std::string::npos)
            return Parsed::Invalid;
        at += length;
    }
    return at == in.size() ? Parsed::Complete : Parsed::Invalid;
}

// Whether the other end of a connected local socket runs as this user.
bool peerIsThisUser(qintptr descriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == geteuid();
}

// Hands the message to a program listening on the socket; true once it has answered that it took
// it.
bool handOver(const QString& socketPath, const QByteArray& message, QDeadlineTimer deadline) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(
            static_cast<int>(std::min<qint64>(deadline.remainingTime(), 2000))))
        return false;
    if (!peerIsThisUser(socket.socketDescriptor()))
        return false;
    socket.write(message);
    while (socket.bytesToWrite() > 0)
        if (deadline.hasExpired() ||
            !socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    QByteArray answer;
    while (answer.size() < kTakenSize) {
        if (socket.bytesAvailable() == 0 &&
            (deadline.hasExpired() ||
             !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))))
            return false;
        answer += socket.read(kTakenSize - answer.size());
    }
    return answer == QByteArray(kTaken, kTakenSize);
}

void serve(QLocalSocket* socket) {
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!peerIsThisUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    // A start that never finishes its message is not waited for.
    QTimer::singleShot(kMessageMilliseconds, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    auto received = std::make_shared<QByteArray>();
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, received] {
        received->append(socket->readAll());
        std::vector<std::string> documents;
        const Parsed parsed = decode(*received, documents);
        if (parsed == Parsed::Incomplete)
            return;
        const Receiver receiver = state().receiver;
        if (parsed == Parsed::Invalid || !receiver || !receiver(std::move(documents))) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        socket->write(kTaken, kTakenSize);
        socket->flush();
        socket->disconnectFromServer();
    });
}

// Takes the lock and starts listening; false when another process holds the lock.
bool becomePrimary(const QString& socketPath, const QString& lockPath, bool& failed) {
    const QByteArray lockName = QFile::encodeName(lockPath);
    // Close-on-exec: programs started from here (a browser for a link) must not hold the lock.
    const int fd = open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        failed = true;
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    // The lock is ours, so a socket left there belongs to a program that has ended.
    QLocalServer::removeServer(socketPath);
    auto* server = new QLocalServer(QCoreApplication::instance());
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath)) {
        delete server;
        close(fd);
        failed = true;
        return false;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket* socket = server->nextPendingConnection())
            serve(socket);
    });
    state().server = server;
    state().socketPath = socketPath;
    // fd stays open, and so locked, until the process ends.
    return true;
}

}  // namespace

Role claim(const std::vector<std::string>& documents, Receiver receiver) {
    State& s = state();
    if (s.claimed && s.role == Role::Primary) {
        // Started again in the same process (the platform's tests): listening again if a quit
        // had stopped it.
        if (s.server && !s.server->isListening())
            (void)s.server->listen(s.socketPath);
        s.receiver = std::move(receiver);
        return Role::Primary;
    }
    s.claimed = true;
    s.role = Role::Alone;
    QString folder;
    {
        const platform::QuietPlainWarnings quiet;
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (folder.isEmpty())
        return s.role;
    const QString name = QCoreApplication::applicationName();
    const QString socketPath = folder + QLatin1Char('/') + name + QLatin1String(".socket");
    const QString lockPath = folder + QLatin1Char('/') + name + QLatin1String(".lock");
    const QByteArray message = encode(documents);
    const QDeadlineTimer deadline(kClaimMilliseconds);
    // Either a running program takes the documents, or this start takes the lock; while another
    // start holds the lock without listening yet (or is ending), try again shortly.
    for (;;) {
        if (handOver(socketPath, message, deadline)) {
            s.role = Role::HandedOver;
            return s.role;
        }
        bool failed = false;
        if (becomePrimary(socketPath, lockPath, failed)) {
            s.receiver = std::move(receiver);
            s.role = Role::Primary;
            return s.role;
        }
        if (failed || deadline.hasExpired())
            return s.role;
        QThread::msleep(50);
    }
}

void stopListening() {
    State& s = state();
    if (s.server)
        s.server->close();
    s.receiver = nullptr;
}

}  // namespace fw::singleinstance
