#include "MemoryFixture.h"

#include "memory/MemExpert.h"
#include "memory/MemWindow.h"
#include "platform/RadioGroup.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

TEST_F(MemoryFixture, ExpertWindowStartsWithItsFormValues)
{
    EXPECT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 1);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->minimum(), 0);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->maximum(), 16);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->value(), 1);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryLabel->text(), "Safety Memory Space: 1 mB");
    EXPECT_EQ(VelmoraMemExpert->ExpertOptionsTab->currentWidget(), VelmoraMemExpert->ErrorLogTab);

    VelmoraMem->MemoryExpert->click();
    EXPECT_TRUE(VelmoraMemExpert->isVisible());
    VelmoraMemExpert->HideExpertOptions->click();
    EXPECT_FALSE(VelmoraMemExpert->isVisible());
}

TEST_F(MemoryFixture, SafetyLabelFollowsTheBar)
{
    VelmoraMemExpert->SafetyMemoryBar->setValue(0);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryLabel->text(), "Safety Memory Space: None");
    VelmoraMemExpert->SafetyMemoryBar->setValue(16);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryLabel->text(), "Safety Memory Space: 16 mb");
    VelmoraMemExpert->SafetyMemoryBar->setValue(1);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryLabel->text(), "Safety Memory Space: 1 mb");

    VelmoraMem->OptimizeMemory->click();
    EXPECT_TRUE(OptimizePending);
    EXPECT_TRUE(OptimizeReport);
    EXPECT_EQ(PendingSafetyBytes, MiB);
}

TEST_F(MemoryFixture, DeletingTheErrorLogSaysHowItWent)
{
    VelmoraMemExpert->LogClear->click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, "It was impossible to locate the\n\rfile: Database/MemoryError.txt");
    EXPECT_EQ(boxes.Calls()[0].caption, "File not found");
    EXPECT_EQ(boxes.Calls()[0].icon, TMsgIcon::Error);
    EXPECT_EQ(boxes.Calls()[0].owner, VelmoraMemExpert);

    folder.Write("Database/MemoryError.txt", "error\n");
    VelmoraMemExpert->LogClear->click();
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_FALSE(folder.Exists("Database/MemoryError.txt"));
    EXPECT_EQ(boxes.Calls()[1].text, "Successfully deleted the file:\n\rDatabase/MemoryError.txt");
    EXPECT_EQ(boxes.Calls()[1].caption, "File deleted");
    EXPECT_EQ(boxes.Calls()[1].icon, TMsgIcon::Information);

    folder.Write("Database/MemoryError.txt", "error\n");
    VelmoraMemExpert->EraseFile = [](const QString&) { return false; };
    VelmoraMemExpert->LogClear->click();
    ASSERT_EQ(boxes.Count(), 3);
    EXPECT_TRUE(folder.Exists("Database/MemoryError.txt"));
    EXPECT_EQ(boxes.Calls()[2].text,
              "Some error occured while deleting\n\rthe file: Database/MemoryError.txt");
    EXPECT_EQ(boxes.Calls()[2].caption, "Delete error");
    EXPECT_EQ(boxes.Calls()[2].icon, TMsgIcon::Error);
}

TEST_F(MemoryFixture, SilentDeleteSpeaksOnlyOfAFailure)
{
    VelmoraMemExpert->SilentClearLogFile();
    EXPECT_EQ(boxes.Count(), 0);

    folder.Write("Database/MemoryError.txt", "error\n");
    VelmoraMemExpert->SilentClearLogFile();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_FALSE(folder.Exists("Database/MemoryError.txt"));

    folder.Write("Database/MemoryError.txt", "error\n");
    VelmoraMemExpert->EraseFile = [](const QString&) { return false; };
    VelmoraMemExpert->SilentClearLogFile();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, "Delete error");
    EXPECT_EQ(boxes.Calls()[0].owner, VelmoraMemExpert);
    EXPECT_TRUE(folder.Exists("Database/MemoryError.txt"));
}
