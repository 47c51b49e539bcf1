#include "memory/MemWindow.h"
#include "platform/ErrorGuard.h"
TVelmoraMem* VelmoraMem = nullptr;
TFreePhysicalMemory FreePhysicalMemory = nullptr;
TAllPhysicalMemory AllPhysicalMemory = nullptr;
TUsedPhysicalMemory UsedPhysicalMemory = nullptr;
TFreePageFile FreePageFile = nullptr;
TAllPageFile AllPageFile = nullptr;
TUsedPageFile UsedPageFile = nullptr;
TFreeVirtualMemory FreeVirtualMemory = nullptr;
TAllVirtualMemory AllVirtualMemory = nullptr;
TUsedVirtualMemory UsedVirtualMemory = nullptr;
TconsumeNow consumeNow = nullptr;
TFreeMemory FreeMemory = nullptr;
TSetDebugMode SetDebugMode = nullptr;

TVelmoraMem::TVelmoraMem(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    Guarded([this] { FormCreate(this); });
}

void TVelmoraMem::FormCreate(QObject*) {}
