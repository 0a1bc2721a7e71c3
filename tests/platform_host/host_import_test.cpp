// Reading the patient out of the host frame: in memory, case by case, and the
// same through X11 against the stand-in frame on a private Xvfb display.

#include "platform/host/host_import.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "platform/text/gb18030.h"

namespace {

using namespace rx::host;

std::string gb(const std::string& utf8) {
    return rx::text::utf8ToGb18030(utf8).bytes;
}
std::string note(std::size_t over) {
    return gb("...后面略掉") + std::to_string(over) + gb("个字符...");
}

// A frame with the four fields; a missing step leaves out the path's third window.
struct Frame {
    FakeHost host;
    Window name = 0, pieces[3] = {};
    explicit Frame(bool complete = true) {
        Window w = host.addFrame(kFrameClass, frameTitle());
        for (int step : kPathSteps)
            if (complete || step != kPathSteps[2]) w = host.addControl(w, step);
        name = host.addControl(w, kNameControl, gb("张三"));
        for (int i = 0; i < 3; ++i) pieces[i] = host.addControl(w, kComplaintControls[i]);
        host.setText(pieces[0], gb("头痛"));
        host.setText(pieces[1], gb("三天，"));
        host.setText(pieces[2], gb("发热"));
    }
};

TEST(HostImport, ReadsNameAndComplaintOrSpacesWhenAbsent) {
    const std::string a(kTextCap - 1, 'a');
    struct Case {
        const char* what;
        std::function<void(Frame&)> arrange;
        std::string name, complaint;
    };
    const Case cases[] = {
        {"frame open", [](Frame&) {}, gb("张三"), gb("头痛三天，发热")},
        {"empty name", [](Frame& f) { f.host.setText(f.name, ""); }, "", gb("头痛三天，发热")},
        {"exactly the cap", [](Frame& f) { f.host.setText(f.name, std::string(kTextCap, 'x')); },
         std::string(kTextCap, 'x') + note(0), gb("头痛三天，发热")},
        {"one byte over", [](Frame& f) { f.host.setText(f.name, std::string(kTextCap + 1, 'x')); },
         std::string(kTextCap, 'x') + note(1), gb("头痛三天，发热")},
        // The cut falls between the two bytes of 张: the half is dropped, not kept.
        {"cut inside a character", [&](Frame& f) { f.host.setText(f.name, a + gb("张三")); },
         a + note(3), gb("头痛三天，发热")},
        // The cut falls just after a whole 张: it stays whole.
        {"cut after a character",
         [&](Frame& f) { f.host.setText(f.name, a.substr(1) + gb("张三")); },
         a.substr(1) + gb("张") + note(2), gb("头痛三天，发热")},
        {"one below the cap", [&](Frame& f) { f.host.setText(f.name, a); }, a,
         gb("头痛三天，发热")},
    };
    for (const Case& c : cases) {
        Frame frame;
        c.arrange(frame);
        const HostPatient p = readHostPatient(frame.host);
        EXPECT_EQ(p.name, c.name) << c.what;
        EXPECT_EQ(p.complaint, c.complaint) << c.what;
    }
    FakeHost nobody;
    EXPECT_EQ(readHostPatient(nobody).name, " ");
    EXPECT_EQ(readHostPatient(nobody).complaint, "   ");
    Frame broken(false);
    EXPECT_EQ(findHostControl(broken.host, kNameControl), Window(0));
    EXPECT_EQ(readHostPatient(broken.host).complaint, "   ");
}

// The stand-in frame on a real X server, read through X11.
TEST(HostImport, ReadsTheStandInFrameThroughX11) {
    QTemporaryDir dir;
    QProcess xvfb;
    xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!xvfb.waitForStarted(5000)) GTEST_SKIP() << "no Xvfb here";
    ASSERT_TRUE(xvfb.waitForReadyRead(10000));
    const QByteArray display = ":" + xvfb.readLine().trimmed();
    qputenv("DISPLAY", display);
    std::unique_ptr<HostAccess> x11 = openX11Host();
    ASSERT_NE(x11, nullptr);
    EXPECT_EQ(readHostPatient(*x11).name, " ");  // no frame yet
    EXPECT_EQ(readHostPatient(*x11).complaint, "   ");

    QProcess frame;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    frame.setProcessEnvironment(env);
    const QString outsideGbk = QStringLiteral("𠮷");
    frame.start(
        QStringLiteral(RX_HOST_FRAME),
        {QStringLiteral("--patient"), QStringLiteral("王小") + outsideGbk,
         QStringLiteral("--complaint1"), QStringLiteral("咳嗽"), QStringLiteral("--complaint2"),
         QString(int(kTextCap) + 1, u'x'), QStringLiteral("--complaint3"), QStringLiteral("两天")});
    ASSERT_TRUE(frame.waitForStarted(5000));
    for (int i = 0; i < 600 && !findHostControl(*x11, kComplaintControls[2]); ++i)
        QThread::msleep(50);
    const HostPatient p = readHostPatient(*x11);
    EXPECT_EQ(p.name, gb("王小𠮷"));
    EXPECT_EQ(p.complaint, gb("咳嗽") + std::string(kTextCap, 'x') + note(1) + gb("两天"));
    frame.kill();
    frame.waitForFinished();
    xvfb.kill();
    xvfb.waitForFinished();
    qunsetenv("DISPLAY");
}

}  // namespace
