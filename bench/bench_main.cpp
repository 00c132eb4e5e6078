// Main of the benchmark program: an offscreen QApplication, so benchmarks of
// widgets and models run without a display.

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

#include "platform/Dialogs.h"

namespace {
// A benchmark that shows a dialog is broken: say so and stop.
class FailOnDialog : public ui::Handler {
public:
    int message(const ui::MessageRequest& r) override { fail(r.prompt); }
    std::optional<QString> input(const ui::InputRequest& r) override { fail(r.prompt); }
    std::optional<QString> file(const ui::FileRequest& r) override { fail(r.title); }

private:
    [[noreturn]] static void fail(const QString& text) {
        std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(text));
        std::abort();
    }
};
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FailOnDialog noDialogs;
    ui::setHandler(&noDialogs);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
