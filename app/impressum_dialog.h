#pragma once
// The imprint dialog: product title, publisher, address and rights notice.
// Created hidden at start, shown modally from "Hilfe" / "Impressum".
#include <QDialog>
#include <QPushButton>

namespace fendra {

class TfrmImpressum : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmImpressum(QWidget* parent);

 public slots:
  void BtImpressumClick();

 private:
  QPushButton* BtImpressum_;
};

}  // namespace fendra
