// The faults that tests inject into the dataset operations of every platform.
#include "platform/dataset_file.h"

namespace platform {

DatasetFaults* gDatasetFaults = nullptr;

namespace {

bool Counted(int DatasetFaults::*counter, int DatasetFaults::*failAt) {
  if (gDatasetFaults == nullptr) {
    return false;
  }
  ++(gDatasetFaults->*counter);
  return gDatasetFaults->*failAt > 0 && gDatasetFaults->*counter == gDatasetFaults->*failAt;
}

}  // namespace

bool InjectReadFault() { return Counted(&DatasetFaults::reads, &DatasetFaults::failRead); }

bool InjectWriteFault() {
  if (Counted(&DatasetFaults::writes, &DatasetFaults::failWrite)) {
    return true;
  }
  if (gDatasetFaults != nullptr && gDatasetFaults->beforeWrite != nullptr) {
    gDatasetFaults->beforeWrite(gDatasetFaults->writes);
  }
  return false;
}

bool InjectCloseFault() { return gDatasetFaults != nullptr && gDatasetFaults->failClose; }

}  // namespace platform
