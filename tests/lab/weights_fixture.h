// A test in a directory of its own with the lab's weights attached, none
// set, nothing selected and an empty edit history; the weights detached
// again afterwards.
#pragma once

#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/weights.h"
#include "tests/pipeline/pipeline_test_util.h"

class lab_weights_fixture : public pipeline_test::in_temp_dir {
 protected:
  void SetUp() override {
    in_temp_dir::SetUp();
    lab_clear_weights();
    lab_weights_attach();
    selected_count = 0;
    lab_history_reset();
  }
  void TearDown() override {
    point_weights = nullptr;
    lab_clear_weights();
    in_temp_dir::TearDown();
  }
};
