// The widget tests run in one QApplication on the offscreen platform, with the data directory
// pointed at a fresh temporary folder so that no test touches the user's files.
#include <QApplication>

#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "ui/ui_style.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::random_device random;
    const auto root = std::filesystem::temp_directory_path() / ("agoran-ui-tests-" + std::to_string(random()));
    std::filesystem::create_directories(root);
    qputenv("LOCALAPPDATA", QByteArray::fromStdString(root.string()));
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    ui::set_active_theme(0);
    ::testing::InitGoogleTest(&argc, argv);
    const int code = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return code;
}
