// tactora-screenshots: draws every window, dialog and panel of Tactora into a folder as PNG, on a
// simulated desktop with a sample configuration (scripts/screenshots refreshes docs/screenshots
// with it). Each themed scene is drawn in a light and a dark palette; on a screen with two device
// pixels per point only those are drawn, named "@2x". A text cut off in any scene is reported and
// makes the exit status 1.
//
//   tactora-screenshots FOLDER [SCENE...]

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QStyle>
#include <QWidget>
#include <cstdio>

#include "tools/screenshots/SceneStage.h"

namespace {

using tactora::screenshots::SceneStage;

// The scene drawn once in `palette`; false when something in it is cut off or it cannot be saved.
bool draw(const SceneStage::Scene& scene, const QPalette& palette, const QString& suffix,
          const QDir& folder) {
  QApplication::setPalette(palette);
  SceneStage stage;
  QWidget* root = scene.show(stage);
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();  // layouts settle and the windows are exposed
  }
  bool good = true;
  for (const std::string& text : SceneStage::cutOffTexts(*root)) {
    std::fprintf(stderr, "tactora-screenshots: %s: cut off: %s\n", scene.name.c_str(),
                 text.c_str());
    good = false;
  }
  const QImage picture = scene.draw ? scene.draw(*root) : root->grab().toImage();
  const int scale = qRound(picture.devicePixelRatio());
  const QString name = QString::fromStdString(scene.name) + suffix +
                       (scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale)) +
                       QStringLiteral(".png");
  if (!picture.save(folder.filePath(name))) {
    std::fprintf(stderr, "tactora-screenshots: cannot write %s\n",
                 folder.filePath(name).toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", name.toLocal8Bit().constData());
  return good;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments().mid(1);
  if (arguments.isEmpty() || arguments.first().startsWith('-')) {
    std::fprintf(stderr, "usage: tactora-screenshots FOLDER [SCENE...]\n");
    return 2;
  }
  // The look the pictures and the tests share: one style, one known font.
  QApplication::setStyle(QStringLiteral("Fusion"));
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
  const QPalette light = QApplication::style()->standardPalette();
  const QDir folder(arguments.first());
  if (!QDir().mkpath(folder.path())) {
    std::fprintf(stderr, "tactora-screenshots: cannot make %s\n",
                 folder.path().toLocal8Bit().constData());
    return 2;
  }
  const bool highDensity = qApp->devicePixelRatio() > 1;

  bool good = true;
  for (const SceneStage::Scene& scene : SceneStage::scenes()) {
    const QStringList chosen = arguments.mid(1);
    if ((!chosen.isEmpty() && !chosen.contains(QString::fromStdString(scene.name))) ||
        (highDensity && !scene.themed)) {
      continue;
    }
    if (scene.themed) {
      good = draw(scene, light, QStringLiteral("-light"), folder) && good;
      good = draw(scene, SceneStage::darkPalette(), QStringLiteral("-dark"), folder) && good;
    } else {
      good = draw(scene, light, QString(), folder) && good;
    }
  }
  return good ? 0 : 1;
}
