#pragma once
// A program context for one test: its message boxes recorded, the end of the
// program recorded instead of leaving the test, and optionally a fixed clock.
// It lives as long as the fixture that holds it, so nothing outlasts a test.
//
//   rx::test::TestProgram program(dir.path());          // standalone build
//   EntryWindow w(program.context());
//   EXPECT_EQ(program.shown(), ...);  EXPECT_EQ(program.endedWith(), 0);

#include <QStringList>
#include <QtGlobal>
#include <vector>

#include "platform/program/program_context.h"
#include "platform/ui/message_box.h"

namespace rx::test {

class TestProgram {
public:
    explicit TestProgram(const QString& directory, Build build = Build::Standalone)
        : context_(directory, build) {
        context_.withMessages(boxes_).withEndAction([this](int code) { ended_ = code; });
    }
    TestProgram(const TestProgram&) = delete;
    TestProgram& operator=(const TestProgram&) = delete;

    ProgramContext& context() { return context_; }
    const std::vector<ui::ShownMessage>& shown() const { return boxes_.shown(); }
    void clearShown() { boxes_.clear(); }
    // The code the program was ended with, or -1 while it runs.
    int endedWith() const { return ended_; }
    void fixClock(const QDateTime& at) {
        context_.withClock([at] { return at; });
    }

private:
    ui::MessageRecorder boxes_;
    int ended_ = -1;
    ProgramContext context_;
};

// Collects what the program writes to its log (qWarning and friends) while it lives.
class LogCapture {
public:
    LogCapture() : previous_(qInstallMessageHandler(&LogCapture::handle)) { current() = this; }
    ~LogCapture() {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    const QStringList& lines() const { return lines_; }

private:
    static LogCapture*& current() {
        static LogCapture* capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType, const QMessageLogContext&, const QString& text) {
        if (current()) current()->lines_.append(text);
    }
    QtMessageHandler previous_;
    QStringList lines_;
};

}  // namespace rx::test
