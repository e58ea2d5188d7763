#pragma once
// The settings dialog's preview: a seal of its own, drawn as the dialog's
// fields would make the main window's seal, shown scaled to fit its pane and
// drawn at the screen's device pixels.
#include <QWidget>

namespace plomet {

class Plomet;

class SealPreview : public QWidget {
    Q_OBJECT
public:
    explicit SealPreview(QWidget* parent = nullptr);
    ~SealPreview() override;

    // The preview's own seal; the dialog writes its fields into it.
    Plomet& seal() { return *seal_; }
    // Starts from everything the given seal holds (properties and size).
    void copyFrom(const Plomet& source);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Plomet* seal_;
};

} // namespace plomet
