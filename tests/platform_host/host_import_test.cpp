// Reading the patient out of the host frame: in memory, case by case, and the
// same through X11 against the stand-in frame on a private Xvfb display.

#include "platform/host/host_import.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "platform/text/gb18030.h"

using namespace Qt::Literals::StringLiterals;

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

TEST(HostImport, ReadsNameAndComplaintCappedAtWholeCharactersOrSpacesWhenAbsent) {
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
        // The cap deliberately keeps whole characters: a cut between the two
        // bytes of 张 drops the lead byte too, where a byte-wise cut would leave
        // a broken character to be stored.
        {"whole-character cap, cut inside a character",
         [&](Frame& f) { f.host.setText(f.name, a + gb("张三")); }, a + note(3),
         gb("头痛三天，发热")},
        {"whole-character cap, 25 001 × 张 keeps 25 000",
         [](Frame& f) {
             std::string zhang;
             for (int i = 0; i < 25001; ++i) zhang += gb("张");
             f.host.setText(f.name, zhang);
         },
         [] {
             std::string zhang;
             for (int i = 0; i < 25000; ++i) zhang += gb("张");
             return zhang;
         }() +
             note(2),
         gb("头痛三天，发热")},
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

// A private Xvfb display, DISPLAY pointing at it while the object lives.
class PrivateDisplay {
public:
    PrivateDisplay() {
        xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xvfb_.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s});
        if (!xvfb_.waitForStarted(5000) || !xvfb_.waitForReadyRead(10000)) return;
        name_ = ":" + xvfb_.readLine().trimmed();
        qputenv("DISPLAY", name_);
    }
    ~PrivateDisplay() {
        xvfb_.kill();
        xvfb_.waitForFinished();
        qunsetenv("DISPLAY");
    }
    bool running() const { return !name_.isEmpty(); }
    QString name() const { return QString::fromLatin1(name_); }

private:
    QProcess xvfb_;
    QByteArray name_;
};

// The stand-in frame started with `arguments`, once it says it has published all.
std::unique_ptr<QProcess> startFrame(const QString& display, const QStringList& arguments) {
    auto frame = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"DISPLAY"_s, display);
    frame->setProcessEnvironment(env);
    frame->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    frame->start(QStringLiteral(RX_HOST_FRAME), arguments);
    while (frame->waitForReadyRead(30000))
        if (frame->readAll().contains("ready")) return frame;
    ADD_FAILURE() << "the stand-in frame never got ready: " << arguments.join(u' ').toStdString();
    return frame;
}

// The stand-in frame on a real X server, read through X11 the way the Win32
// calls read a frame: the title in any of the properties and text types
// toolkits write it in, the class in any spelling, an unset field empty.
TEST(HostImport, FindsAndReadsTheStandInFrameThroughX11AsWin32Would) {
    PrivateDisplay display;
    if (!display.running()) GTEST_SKIP() << "no Xvfb here";
    std::unique_ptr<HostAccess> x11 = openX11Host();
    ASSERT_NE(x11, nullptr);
    EXPECT_EQ(readHostPatient(*x11).name, " ");  // no frame yet
    EXPECT_EQ(readHostPatient(*x11).complaint, "   ");

    const QString over(int(kTextCap) + 1, u'x');
    struct Case {
        const char* what;
        QStringList arguments;
        std::string name, complaint;
    };
    const Case cases[] = {
        {"title in _NET_WM_NAME, a name beyond GBK, a piece over the cap",
         {u"--patient"_s, u"王小𠮷"_s, u"--complaint1"_s, u"咳嗽"_s, u"--complaint2"_s, over,
          u"--complaint3"_s, u"两天"_s},
         gb("王小𠮷"),
         gb("咳嗽") + std::string(kTextCap, 'x') + note(1) + gb("两天")},
        {"title only in WM_NAME as UTF8_STRING",
         {u"--title-in"_s, u"wm-name-utf8"_s, u"--patient"_s, u"张三"_s, u"--complaint1"_s,
          u"头痛"_s, u"--complaint2"_s, QString(), u"--complaint3"_s, QString()},
         gb("张三"),
         gb("头痛")},
        {"title only in WM_NAME as COMPOUND_TEXT",
         {u"--title-in"_s, u"wm-name-compound"_s, u"--patient"_s, u"李四"_s, u"--complaint1"_s,
          QString(), u"--complaint2"_s, QString(), u"--complaint3"_s, u"发热"_s},
         gb("李四"),
         gb("发热")},
        {"class spelt in capitals",
         {u"--class"_s, u"HIS_FRAME"_s, u"--patient"_s, u"王五"_s, u"--complaint1"_s, QString(),
          u"--complaint2"_s, QString(), u"--complaint3"_s, QString()},
         gb("王五"),
         ""},
        {"fields never given a text", {}, "", ""},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QProcess> frame = startFrame(display.name(), c.arguments);
        const HostPatient p = readHostPatient(*x11);
        EXPECT_EQ(p.name, c.name) << c.what;
        EXPECT_EQ(p.complaint, c.complaint) << c.what;
        frame->kill();
        frame->waitForFinished();
    }
}

}  // namespace
