#include "support/UnitSimulator.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace testing_support {

namespace {

std::runtime_error sysError(const char* what) {
    return std::runtime_error(std::string("UnitSimulator: ") + what + ": " + std::strerror(errno));
}

QByteArray number(double v, int decimals) { return QByteArray::number(v, 'f', decimals); }

}  // namespace

UnitSimulator::UnitSimulator() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) throw sysError("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        const auto e = sysError("grantpt/unlockpt");
        ::close(master_);
        throw e;
    }
    char name[256] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        const auto e = sysError("ptsname");
        ::close(master_);
        throw e;
    }
    slavePath_ = QString::fromLocal8Bit(name);

    // Raw on both sides: no echo, no line editing, no translation of CR.
    termios tio{};
    if (::tcgetattr(master_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(master_, TCSANOW, &tio);
    }
    slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slaveKeep_ >= 0 && ::tcgetattr(slaveKeep_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slaveKeep_, TCSANOW, &tio);
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
}

UnitSimulator::~UnitSimulator() {
    stop();
    for (auto it = savedEnv_.rbegin(); it != savedEnv_.rend(); ++it) {
        if (it->second)
            qputenv(it->first.constData(), *it->second);
        else
            qunsetenv(it->first.constData());
    }
    if (slaveKeep_ >= 0) ::close(slaveKeep_);
    if (master_ >= 0) ::close(master_);
}

void UnitSimulator::attachToPort(int portNumber) {
    const QByteArray name = "Z3080_PORT_" + QByteArray::number(portNumber);
    std::optional<QByteArray> previous;
    if (qEnvironmentVariableIsSet(name.constData())) previous = qgetenv(name.constData());
    savedEnv_.emplace_back(name, previous);
    qputenv(name.constData(), slavePath_.toLocal8Bit());
}

UnitSimulator::Readings UnitSimulator::readings() const {
    std::lock_guard lock(mutex_);
    return readings_;
}

void UnitSimulator::setReadings(const Readings& r) {
    std::lock_guard lock(mutex_);
    readings_ = r;
}

void UnitSimulator::setStatus(int status) {
    std::lock_guard lock(mutex_);
    readings_.status = status;
}

void UnitSimulator::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
    if (silent) outQueue_.clear();
}

void UnitSimulator::setPeriod(int milliseconds) { period_ = milliseconds; }

void UnitSimulator::setStoredTest(const QByteArrayList& records, bool withEnd, int chunkBytes, int chunkDelayMs) {
    std::lock_guard lock(mutex_);
    storedRecords_ = records;
    storedTestSet_ = true;
    storedWithEnd_ = withEnd;
    chunkBytes_ = chunkBytes;
    chunkDelayMs_ = chunkDelayMs;
}

void UnitSimulator::setTransferOnAdvance(bool onAdvance) {
    std::lock_guard lock(mutex_);
    transferOnAdvance_ = onAdvance;
}

int UnitSimulator::transferSent() const {
    std::lock_guard lock(mutex_);
    return transferSent_;
}

void UnitSimulator::sendDueOnAdvance() {
    while (!advanceQueue_.empty() && advanceQueue_.front().first <= unitTimeMs_) {
        writeAll(advanceQueue_.front().second);
        transferSent_ += int(advanceQueue_.front().second.size());
        advanceQueue_.pop_front();
    }
}

void UnitSimulator::setStatusFrameInTransfer(std::optional<int> afterRecords, std::optional<char> lead,
                                             std::optional<int> commas) {
    std::lock_guard lock(mutex_);
    statusInTransferAfter_ = afterRecords;
    statusInTransferLead_ = lead;
    statusInTransferCommas_ = commas;
}

void UnitSimulator::refuseWrites(bool refuse) {
    std::lock_guard lock(mutex_);
    if (refuse == refusingWrites_ || master_ < 0 || slaveKeep_ < 0) return;
    refusingWrites_ = refuse;
    // Output of the application's side suspended (as by a stop character):
    // a write finds no room and is refused at once.
    ::tcflow(slaveKeep_, refuse ? TCOOFF : TCOON);
    if (!refuse) {
        char buf[4096];
        while (::read(master_, buf, sizeof buf) > 0) {
        }
        inBuffer_.clear();
    }
}

QByteArray UnitSimulator::frameLocked() const {
    const Readings& r = readings_;
    QByteArray f;
    f += r.lead;
    f += QByteArray::number(statusFrames_ > 0 ? runStatus_ : r.status).rightJustified(2, '0');
    f += ',' + number(overTempFrames_ > 0 ? overTemp_ : r.temperature, 1);
    f += ',' + number(r.tempSetPoint, 1);
    f += ',' + number(r.speed, 3);
    f += ',' + number(r.stress, 1);
    f += ',' + number(overPressFrames_ > 0 ? overPress_ : r.pressure, 0);
    f += ',' + number(r.gel, 1);
    f += ',' + number(r.pressSetPoint, 0);
    if (magnetFrames_ > 0)
        f += ',' + number(magnetRun_, 1);
    else if (magnetLaw_)
        f += ',' + number(magnetLaw_->first + magnetLaw_->second * r.pressure, 1);
    else
        f += ',' + r.field9;
    if (r.field10) f += ',' + *r.field10;
    f += char(26);
    return f;
}

QByteArray UnitSimulator::takeFrameLocked() {
    const QByteArray f = frameLocked();
    if (statusFrames_ > 0) --statusFrames_;
    if (overTempFrames_ > 0) --overTempFrames_;
    if (overPressFrames_ > 0) --overPressFrames_;
    if (magnetFrames_ > 0) --magnetFrames_;
    return f;
}

void UnitSimulator::emitLocked(const QByteArray& frame) {
    auto at = Clock::now();
    if (splitPieces_ <= 1) {
        queue(frame, at);
    } else {
        const qsizetype size = std::max<qsizetype>(1, (frame.size() + splitPieces_ - 1) / splitPieces_);
        for (qsizetype i = 0; i < frame.size(); i += size) {
            queue(frame.mid(i, size), at);
            at += std::chrono::milliseconds(splitGapMs_);
        }
    }
    sendDue();
}

QByteArray UnitSimulator::statusFrame() const {
    std::lock_guard lock(mutex_);
    return frameLocked();
}

void UnitSimulator::writeAll(const QByteArray& bytes) {
    if (master_ < 0) return;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(master_, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd pfd{master_, POLLOUT, 0};
                ::poll(&pfd, 1, 100);
                continue;
            }
            return;  // the terminal is gone
        }
        p += n;
        left -= n;
    }
}

void UnitSimulator::sendStatusFrame() {
    std::lock_guard lock(mutex_);
    emitLocked(takeFrameLocked());
}

QByteArray UnitSimulator::sendStatusFrames(int count) {
    std::lock_guard lock(mutex_);
    QByteArray frames;
    for (int i = 0; i < count; ++i) frames += takeFrameLocked();
    writeAll(frames);
    return frames;
}

void UnitSimulator::sendRaw(const QByteArray& bytes) {
    std::lock_guard lock(mutex_);
    writeAll(bytes);
}

void UnitSimulator::queue(const QByteArray& bytes, Clock::time_point at) { outQueue_.emplace_back(at, bytes); }

void UnitSimulator::sendDue() {
    const auto now = Clock::now();
    while (!outQueue_.empty() && outQueue_.front().first <= now) {
        writeAll(outQueue_.front().second);
        outQueue_.pop_front();
    }
}

void UnitSimulator::handle(const Command& c) {
    commands_.push_back(c);
    transferMode_ = c.code == 1 && c.body.isEmpty();
    if (transferMode_) {  // download request
        if (silent_ || !storedTestSet_) return;
        QByteArray transfer;
        auto inTransfer = [this] {
            QByteArray f = frameLocked();
            if (statusInTransferLead_) f[0] = *statusInTransferLead_;
            if (statusInTransferCommas_) {
                f.chop(1);  // code 26
                QList<QByteArray> fields = f.split(',');
                while (fields.size() > *statusInTransferCommas_ + 1) fields.removeLast();
                while (fields.size() < *statusInTransferCommas_ + 1) fields.append("0");
                f = fields.join(',') + char(26);
            }
            return f;
        };
        for (int i = 0; i < storedRecords_.size(); ++i) {
            if (statusInTransferAfter_ == i) transfer += inTransfer();
            transfer += storedRecords_[i] + char(3);
        }
        if (statusInTransferAfter_ && *statusInTransferAfter_ >= storedRecords_.size()) transfer += inTransfer();
        if (storedWithEnd_) transfer += char(2);
        if (transferOnAdvance_) {
            advanceQueue_.clear();
            transferSent_ = 0;
            const int piece = chunkBytes_ > 0 ? chunkBytes_ : int(transfer.size());
            double due = unitTimeMs_;
            for (qsizetype i = 0; i < transfer.size(); i += piece, due += chunkDelayMs_)
                advanceQueue_.emplace_back(due, transfer.mid(i, piece));
            sendDueOnAdvance();
            return;
        }
        auto at = Clock::now();
        if (chunkBytes_ <= 0) {
            queue(transfer, at);
        } else {
            for (qsizetype i = 0; i < transfer.size(); i += chunkBytes_) {
                queue(transfer.mid(i, chunkBytes_), at);
                at += std::chrono::milliseconds(chunkDelayMs_);
            }
        }
        return;
    }
    switch (c.code) {
    case 1: {  // set points: "TTT.T,PPPPP,SSS.SSS k"
        const QList<QByteArray> parts = c.body.split(',');
        if (parts.size() >= 3) {
            readings_.tempSetPoint = std::strtod(parts[0].constData(), nullptr);
            readings_.pressSetPoint = std::strtod(parts[1].constData(), nullptr);
            readings_.speed = std::strtod(parts[2].constData(), nullptr);
            readings_.status = 1;
            updateStressLocked();
        }
        break;
    }
    case 4:
        readings_.status = 0;
        readings_.speed = 0;
        readings_.tempSetPoint = kAmbientF;
        readings_.pressSetPoint = 0;
        updateStressLocked();
        break;
    case 8:
        readings_.stress = 0;
        readings_.gel = 0;
        break;
    case 9: readings_.tempSetPoint = std::strtod(c.body.constData(), nullptr); break;
    case 3:  // torque calibration run
        if (!silent_ && !torqueRun_.empty()) {
            // A unit's first point comes a while after the run frame (the
            // tab throws away what came before its points): never before
            // 100 ms, also when the points follow each other at once.
            auto at = Clock::now() + std::chrono::milliseconds(100);
            for (const auto& [stress, angle] : torqueRun_) {
                at += std::chrono::milliseconds(torqueGapMs_);
                queue(torquePointFrame(stress, angle), at);
            }
            if (torqueWithEnd_) queue(torqueEndFrame(), at + std::chrono::milliseconds(torqueGapMs_));
        }
        break;
    default: break;
    }
    if (!silent_) emitLocked(takeFrameLocked());
}

int UnitSimulator::serviceOnce(int pollMs) {
    int handled = 0;
    int fd = -1;
    bool refusing = false;
    {
        std::lock_guard lock(mutex_);
        if (vanishRequested_) closeLocked();
        fd = master_;
        refusing = refusingWrites_;
        if (fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::max(1, pollMs)));
            return 0;
        }
        sendDue();
        if (!outQueue_.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(outQueue_.front().first - Clock::now());
            pollMs = std::max(0, std::min<int>(pollMs, int(wait.count())));
        }
    }
    // A unit refusing writes reads nothing (and does not wake for it).
    pollfd pfd{fd, short(refusing ? 0 : POLLIN), 0};
    const int ready = ::poll(&pfd, 1, pollMs);
    std::lock_guard lock(mutex_);
    if (master_ < 0) return 0;
    if (ready > 0 && (pfd.revents & POLLIN) && !refusingWrites_) {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            inBuffer_.append(buf, n);
        }
        // Cut every complete command frame.
        while (!inBuffer_.isEmpty()) {
            const char lead = inBuffer_[0];
            qsizetype end = 0;
            if (lead == 11) {
                end = 0;
            } else {
                const char terminator = (lead == 9 || lead == 10) ? char(26) : char(13);
                end = inBuffer_.indexOf(terminator, 1);
                if (end < 0) break;
            }
            Command c;
            c.code = lead;
            c.bytes = inBuffer_.left(end + 1);
            c.body = end > 0 ? inBuffer_.mid(1, end - 1) : QByteArray();
            inBuffer_.remove(0, end + 1);
            handle(c);
            ++handled;
        }
    }
    sendDue();
    return handled;
}

void UnitSimulator::loop() {
    nextPeriodic_ = Clock::now();
    {
        std::lock_guard lock(mutex_);
        lastAdvance_ = Clock::now();
    }
    while (running_) {
        serviceOnce(5);
        const int p = period_;
        std::lock_guard lock(mutex_);
        const auto now = Clock::now();
        advanceLocked(std::chrono::duration<double>(now - lastAdvance_).count());
        lastAdvance_ = now;
        if (p > 0 && master_ >= 0 && !silent_ && !transferMode_ && outQueue_.empty() && now >= nextPeriodic_) {
            emitLocked(takeFrameLocked());
            nextPeriodic_ = now + std::chrono::milliseconds(p);
        }
    }
}

void UnitSimulator::setPhysics(const Physics& physics) {
    std::lock_guard lock(mutex_);
    physics_ = physics;
    updateStressLocked();
}

void UnitSimulator::advance(double seconds) {
    std::lock_guard lock(mutex_);
    advanceLocked(seconds);
    if (seconds > 0) unitTimeMs_ += seconds * 1000.0;
    sendDueOnAdvance();
}

void UnitSimulator::advanceLocked(double seconds) {
    if (seconds <= 0) return;
    auto toward = [seconds](double& value, double target, double rate) {
        if (rate <= 0) return;
        const double step = rate * seconds;
        if (std::abs(target - value) <= step)
            value = target;
        else
            value += target > value ? step : -step;
    };
    toward(readings_.temperature, readings_.tempSetPoint, physics_.tempRate);
    toward(readings_.pressure, readings_.pressSetPoint, physics_.pressRate);
    updateStressLocked();
}

void UnitSimulator::setSensorVoltage(double volts) {
    std::lock_guard lock(mutex_);
    readings_.field9 = number(volts, 4);
    if (!readings_.field10) readings_.field10 = QByteArray();
}

void UnitSimulator::updateStressLocked() {
    if (physics_.viscosityCp) readings_.stress = *physics_.viscosityCp * readings_.speed * kShearRatePerRpm / 100.0;
}

void UnitSimulator::sendNoise(int length, unsigned seed) {
    QByteArray noise;
    unsigned x = seed ? seed : 1;
    while (noise.size() < length) {
        x = x * 1103515245u + 12345u;
        const char c = char(0x20 + (x >> 16) % 95);
        if (c != ',') noise += c;
    }
    sendRaw(noise);
}

QByteArray UnitSimulator::frameWithCommas(int commas) const {
    QByteArray f = statusFrame();
    f.chop(1);  // code 26
    QList<QByteArray> fields = f.split(',');
    while (fields.size() > commas + 1) fields.removeLast();
    while (fields.size() < commas + 1) fields.append("0");
    return fields.join(',') + char(26);
}

void UnitSimulator::sendFrameWithCommas(int commas) { sendRaw(frameWithCommas(commas)); }

void UnitSimulator::setSplit(int pieces, int gapMs) {
    std::lock_guard lock(mutex_);
    splitPieces_ = std::max(1, pieces);
    splitGapMs_ = std::max(0, gapMs);
}

void UnitSimulator::setMagnetPosition(double atZeroPsi, double perPsi) {
    std::lock_guard lock(mutex_);
    magnetLaw_ = std::make_pair(atZeroPsi, perPsi);
}

void UnitSimulator::runMagnetReading(int frames, double reading) {
    std::lock_guard lock(mutex_);
    magnetFrames_ = frames;
    magnetRun_ = reading;
}

void UnitSimulator::runOverTemperature(int frames, double temperatureF) {
    std::lock_guard lock(mutex_);
    overTempFrames_ = frames;
    overTemp_ = temperatureF;
}

void UnitSimulator::runOverPressure(int frames, double pressurePsi) {
    std::lock_guard lock(mutex_);
    overPressFrames_ = frames;
    overPress_ = pressurePsi;
}

void UnitSimulator::runStatus(int frames, int status) {
    std::lock_guard lock(mutex_);
    statusFrames_ = frames;
    runStatus_ = status;
}

void UnitSimulator::closeLocked() {
    vanishRequested_ = false;
    outQueue_.clear();
    inBuffer_.clear();
    if (slaveKeep_ >= 0) ::close(slaveKeep_);
    if (master_ >= 0) ::close(master_);
    slaveKeep_ = -1;
    master_ = -1;
}

void UnitSimulator::vanish() {
    {
        std::lock_guard lock(mutex_);
        if (!running_) {
            closeLocked();
            return;
        }
        vanishRequested_ = true;  // the thread closes what it polls
    }
    for (int i = 0; i < 1000 && !vanished(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool UnitSimulator::vanished() const {
    std::lock_guard lock(mutex_);
    return master_ < 0;
}

void UnitSimulator::start() {
    if (running_) return;
    running_ = true;
    thread_ = std::thread([this] { loop(); });
}

void UnitSimulator::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

int UnitSimulator::pump(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int handled = 0;
    do {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        handled += serviceOnce(int(std::max<long long>(0, std::min<long long>(left, 20))));
        std::lock_guard lock(mutex_);
        if (master_ < 0) break;
        if (handled > 0 && outQueue_.empty()) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 0) <= 0) break;
        }
    } while (Clock::now() < deadline);
    return handled;
}

bool UnitSimulator::waitForCommands(size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (commands_.size() >= count) return true;
        }
        if (Clock::now() >= deadline) return false;
        if (running_)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        else
            serviceOnce(10);
    }
}

std::vector<UnitSimulator::Command> UnitSimulator::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

void UnitSimulator::clearCommands() {
    std::lock_guard lock(mutex_);
    commands_.clear();
}

}  // namespace testing_support

namespace testing_support {

void UnitSimulator::setTorqueRun(const std::vector<std::pair<double, double>>& stressAngle, bool withEnd, int gapMs) {
    std::lock_guard lock(mutex_);
    torqueRun_ = stressAngle;
    torqueWithEnd_ = withEnd;
    torqueGapMs_ = gapMs;
}

QByteArray UnitSimulator::torquePointFrame(double stress, double angle) {
    return char(8) + QByteArray::number(stress) + ',' + QByteArray::number(angle) + char(26);
}

QByteArray UnitSimulator::torqueEndFrame() { return QByteArray(1, char(9)) + char(26); }

}  // namespace testing_support
