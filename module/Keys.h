#pragma once

#include <string>

// The text keys the module hands to the host for translation, and the
// configuration keys it reads. Built once when the library loads.
namespace Keys {
extern const std::string DISPLAY_RED_PURITY_TEST;
extern const std::string DISPLAY_GREEN_PURITY_TEST;
extern const std::string DISPLAY_BLUE_PURITY_TEST;
extern const std::string DISPLAY_BLACK_PURITY_TEST;
extern const std::string DISPLAY_WHITE_PURITY_TEST;
extern const std::string DISPLAY_COLOR_TRANSITION_TEST;
extern const std::string DISPLAY_MONOCHROMATIC_MESH_TEST;
extern const std::string DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST;
extern const std::string DISPLAY_SHARPNESS_TEST;
extern const std::string DISPLAY_RESOLUTION_FITTING_TEST;
extern const std::string DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST;
extern const std::string DISPLAY_RED_PURITY_TEST_DESCRIPTION;
extern const std::string DISPLAY_GREEN_PURITY_TEST_DESCRIPTION;
extern const std::string DISPLAY_BLUE_PURITY_TEST_DESCRIPTION;
extern const std::string DISPLAY_BLACK_PURITY_TEST_DESCRIPTION;
extern const std::string DISPLAY_WHITE_PURITY_TEST_DESCRIPTION;
extern const std::string DISPLAY_COLOR_TRANSITION_TEST_DESCRIPTION;
extern const std::string DISPLAY_MONOCHROMATIC_MESH_TEST_DESCRIPTION;
extern const std::string DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST_DESCRIPTION;
extern const std::string DISPLAY_SHARPNESS_TEST_DESCRIPTION;
extern const std::string DISPLAY_RESOLUTION_FITTING_TEST_DESCRIPTION;
extern const std::string DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST_DESCRIPTION;
extern const std::string DISPLAY_RED_PURITY_DESCRIPTION;
extern const std::string DISPLAY_GREEN_PURITY_DESCRIPTION;
extern const std::string DISPLAY_BLUE_PURITY_DESCRIPTION;
extern const std::string DISPLAY_BLACK_PURITY_DESCRIPTION;
extern const std::string DISPLAY_WHITE_PURITY_DESCRIPTION;
extern const std::string DISPLAY_COLOR_TRANSITION_DESCRIPTION;
extern const std::string DISPLAY_MONOCHROMATIC_MESH_DESCRIPTION;
extern const std::string DISPLAY_SHARPNESS_DESCRIPTION;
extern const std::string DISPLAY_GENERAL_DISPLAY_INTERACTIVE_DESCRIPTION;
extern const std::string DISPLAY_GENERAL_PURITY_CHECK;
extern const std::string DISPLAY_COLOR_TRANSITION_CHECK;
extern const std::string DISPLAY_MONOCHROMATIC_MESH_CHECK;
extern const std::string DISPLAY_SHARPNESS_CHECK;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_GREEN_PURITY_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_BLUE_PURITY_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_BLACK_PURITY_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_WHITE_PURITY_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_COLOR_TRANSITION_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_MONOCHROMATIC_MESH_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST;
extern const std::string CSAT_TEST_TIMEOUT_DISPLAY_SHARPNESS_TEST;
extern const std::string DISPLAY_GENERAL_DISPLAY_INTERACTIVE_INSTRUCTIONS;
extern const std::string DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED;
extern const std::string DISPLAY_QUICK_DIAGNOSTIC;
extern const std::string DISPLAY_TESTS_TOOLTIP;
extern const std::string DISPLAY_ATTENDED_TEST_FAILED;
extern const std::string
    TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
extern const std::string
    THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;
extern const std::string
    THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE;
extern const std::string POSSIBLE_DEFECTIVE_COMPONENTS;
extern const std::string CABLES;
extern const std::string SCREEN;
extern const std::string CONNECTOR;
extern const std::string DISPLAY_INDEX;
extern const std::string DRIVER_VERSION;
extern const std::string MANUFACTURER_ID;
extern const std::string MODEL_NAME;
extern const std::string EDID_VERSION;
extern const std::string SCREEN_SIZE;
extern const std::string INPUT_TYPE;
extern const std::string ANALOG;
extern const std::string DIGITAL;
extern const std::string NATIVE_RESOLUTION;
extern const std::string CURRENT_RESOLUTION;
extern const std::string GENERIC_DISPLAY;
extern const std::string UDI;
extern const std::string DISPLAY;
extern const std::string MO;
extern const std::string CSAT;
extern const std::string CSAT_TEST_TIMEOUT;
// Keys whose text carries sentence punctuation.
extern const std::string AN_INTERNAL_ERROR_OCCURRED;
extern const std::string YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION;
extern const std::string YOUR_SYSTEM_CANT_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY;

// "POSSIBLE_DEFECTIVE_COMPONENTS: CABLES, SCREEN, CONNECTOR"
extern const std::string STANDARD_DEVICE_HINT;
} // namespace Keys
