#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class TOrderForm;
class TForm_Main;
class TForm_FindReader;
class TForm_ComPort;
class TForm1;

// The station's five windows, each created once, in this order, and kept to the end:
// the entry window, the main window, the reader search, the port settings, the balance terminal.
class StationWindows {
public:
    // created is told of each window right after its creation, for tests of the order.
    explicit StationWindows(const std::function<void(QWidget&)>& created = {});
    ~StationWindows();

    TOrderForm& OrderForm() const { return *orderForm_; }
    TForm_Main& Form_Main() const { return *formMain_; }
    TForm_FindReader& Form_FindReader() const { return *formFindReader_; }
    TForm_ComPort& Form_ComPort() const { return *formComPort_; }
    TForm1& Form1() const { return *form1_; }

private:
    std::unique_ptr<TOrderForm> orderForm_;
    std::unique_ptr<TForm_Main> formMain_;
    std::unique_ptr<TForm_FindReader> formFindReader_;
    std::unique_ptr<TForm_ComPort> formComPort_;
    std::unique_ptr<TForm1> form1_;
};

// Shows the main window, or only brings it to the front when it is already visible.
void showMainWindow(TForm_Main& mainWindow);

// Runs the station until the entry window is closed; returns the exit code.
int runStation(int argc, char** argv);
