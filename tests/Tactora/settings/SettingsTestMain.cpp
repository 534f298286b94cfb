// The entry point of the Qt test programs: one QApplication for every case, offscreen unless the
// caller chose another platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  // One known font, so sizes and pictures do not depend on the machine's font set-up.
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
