#pragma once

#include <QWidget>

namespace hn {

// The home screen: the first form loaded; its load event is where the program's logic starts.
class FMed : public QWidget {
    Q_OBJECT
public:
    explicit FMed(QWidget* parent = nullptr);

    // Refuses a second instance, fills the configuration, then lays the form out full screen.
    void Form_Load();
};

} // namespace hn
