#pragma once

#include "platform/Form.h"

#include "libraries/Quillon.h"

// Entry points of the memory library, bound at start.
extern TFreePhysicalMemory FreePhysicalMemory;
extern TAllPhysicalMemory AllPhysicalMemory;
extern TUsedPhysicalMemory UsedPhysicalMemory;
extern TFreePageFile FreePageFile;
extern TAllPageFile AllPageFile;
extern TUsedPageFile UsedPageFile;
extern TFreeVirtualMemory FreeVirtualMemory;
extern TAllVirtualMemory AllVirtualMemory;
extern TUsedVirtualMemory UsedVirtualMemory;
extern TconsumeNow consumeNow;
extern TFreeMemory FreeMemory;
extern TSetDebugMode SetDebugMode;

class TVelmoraMem : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraMem(QWidget* parent = nullptr);
    void FormCreate(QObject* Sender);

private:
    void BuildForm();
};

extern TVelmoraMem* VelmoraMem;
