<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>DISPLAY</name>
    <message>
        <source>DISPLAY_RED_PURITY_TEST</source>
        <translation>Red purity test</translation>
    </message>
    <message>
        <source>DISPLAY_GREEN_PURITY_TEST</source>
        <translation>Green purity test</translation>
    </message>
    <message>
        <source>DISPLAY_BLUE_PURITY_TEST</source>
        <translation>Blue purity test</translation>
    </message>
    <message>
        <source>DISPLAY_BLACK_PURITY_TEST</source>
        <translation>Black purity test</translation>
    </message>
    <message>
        <source>DISPLAY_WHITE_PURITY_TEST</source>
        <translation>White purity test</translation>
    </message>
    <message>
        <source>DISPLAY_COLOR_TRANSITION_TEST</source>
        <translation>Color transition test</translation>
    </message>
    <message>
        <source>DISPLAY_MONOCHROMATIC_MESH_TEST</source>
        <translation>Monochromatic mesh test</translation>
    </message>
    <message>
        <source>DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST</source>
        <translation>Inverted monochromatic mesh test</translation>
    </message>
    <message>
        <source>DISPLAY_SHARPNESS_TEST</source>
        <translation>Sharpness test</translation>
    </message>
    <message>
        <source>DISPLAY_RESOLUTION_FITTING_TEST</source>
        <translation>Resolution fitting test</translation>
    </message>
    <message>
        <source>DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST</source>
        <translation>Display interactive test</translation>
    </message>
    <message>
        <source>DISPLAY_RED_PURITY_TEST_DESCRIPTION</source>
        <translation>Fills the display with red so that you can look for dead pixels, spots and uneven colour.</translation>
    </message>
    <message>
        <source>DISPLAY_GREEN_PURITY_TEST_DESCRIPTION</source>
        <translation>Fills the display with green so that you can look for dead pixels, spots and uneven colour.</translation>
    </message>
    <message>
        <source>DISPLAY_BLUE_PURITY_TEST_DESCRIPTION</source>
        <translation>Fills the display with blue so that you can look for dead pixels, spots and uneven colour.</translation>
    </message>
    <message>
        <source>DISPLAY_BLACK_PURITY_TEST_DESCRIPTION</source>
        <translation>Fills the display with black so that you can look for stuck pixels and light bleeding.</translation>
    </message>
    <message>
        <source>DISPLAY_WHITE_PURITY_TEST_DESCRIPTION</source>
        <translation>Fills the display with white so that you can look for dead pixels, stains and uneven brightness.</translation>
    </message>
    <message>
        <source>DISPLAY_COLOR_TRANSITION_TEST_DESCRIPTION</source>
        <translation>Shows four colour ramps so that you can check that colours change smoothly.</translation>
    </message>
    <message>
        <source>DISPLAY_MONOCHROMATIC_MESH_TEST_DESCRIPTION</source>
        <translation>Shows a fine checkerboard of single pixels so that you can look for flicker and blurred areas.</translation>
    </message>
    <message>
        <source>DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST_DESCRIPTION</source>
        <translation>Shows the inverted fine checkerboard of single pixels so that you can look for flicker and blurred areas.</translation>
    </message>
    <message>
        <source>DISPLAY_SHARPNESS_TEST_DESCRIPTION</source>
        <translation>Shows a tiled pattern of fine symbols so that you can check that the picture is sharp everywhere.</translation>
    </message>
    <message>
        <source>DISPLAY_RESOLUTION_FITTING_TEST_DESCRIPTION</source>
        <translation>Checks that the system offers the native resolution of the display.</translation>
    </message>
    <message>
        <source>DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST_DESCRIPTION</source>
        <translation>Shows a digit that you pick from a row of buttons, to check that the display shows what the system draws.</translation>
    </message>
    <message>
        <source>DISPLAY_RED_PURITY_DESCRIPTION</source>
        <translation>The display will turn red for a few seconds. Look for dots or areas that are not red. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_GREEN_PURITY_DESCRIPTION</source>
        <translation>The display will turn green for a few seconds. Look for dots or areas that are not green. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_BLUE_PURITY_DESCRIPTION</source>
        <translation>The display will turn blue for a few seconds. Look for dots or areas that are not blue. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_BLACK_PURITY_DESCRIPTION</source>
        <translation>The display will turn black for a few seconds. Look for bright dots and light leaking at the edges. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_WHITE_PURITY_DESCRIPTION</source>
        <translation>The display will turn white for a few seconds. Look for dark dots, stains and uneven brightness. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_COLOR_TRANSITION_DESCRIPTION</source>
        <translation>The display will show four colour ramps for a few seconds. Watch whether each ramp changes smoothly from dark to bright. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_MONOCHROMATIC_MESH_DESCRIPTION</source>
        <translation>The display will show a fine checkerboard for a few seconds. Look for flicker, stripes and blurred areas. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_SHARPNESS_DESCRIPTION</source>
        <translation>The display will show a pattern of small symbols for a few seconds. Check that the symbols are sharp in every part of the screen. Press Escape to end the pattern early.</translation>
    </message>
    <message>
        <source>DISPLAY_GENERAL_DISPLAY_INTERACTIVE_DESCRIPTION</source>
        <translation>The display will show a large digit. Click the button with the same digit, or type it on the keyboard. Press Escape to end the test.</translation>
    </message>
    <message>
        <source>DISPLAY_GENERAL_PURITY_CHECK</source>
        <translation>Was the colour even over the whole screen, without dots, spots or stains?</translation>
    </message>
    <message>
        <source>DISPLAY_COLOR_TRANSITION_CHECK</source>
        <translation>Did every colour ramp change smoothly, without bands or jumps?</translation>
    </message>
    <message>
        <source>DISPLAY_MONOCHROMATIC_MESH_CHECK</source>
        <translation>Did the checkerboard look even over the whole screen, without flicker, stripes or blurred areas?</translation>
    </message>
    <message>
        <source>DISPLAY_SHARPNESS_CHECK</source>
        <translation>Were the symbols sharp and clear over the whole screen?</translation>
    </message>
    <message>
        <source>DISPLAY_GENERAL_DISPLAY_INTERACTIVE_INSTRUCTIONS</source>
        <translation>Click the button with the digit shown above, or type the digit.</translation>
    </message>
    <message>
        <source>DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED</source>
        <translation>The digit shown was not recognised. The display may not show what the system draws.</translation>
    </message>
    <message>
        <source>DISPLAY_QUICK_DIAGNOSTIC</source>
        <translation>Quick display diagnostic</translation>
    </message>
    <message>
        <source>DISPLAY_TESTS_TOOLTIP</source>
        <translation>Tests of the attached displays: colour purity, colour transition, mesh, sharpness, resolution and an interactive check.</translation>
    </message>
    <message>
        <source>DISPLAY_ATTENDED_TEST_FAILED</source>
        <translation>You reported that the display did not show the pattern correctly.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED</source>
        <translation>The test was aborted because a system event that could compromise the outcome has happened.</translation>
    </message>
    <message>
        <source>THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED</source>
        <translation>This test cannot be performed because the device could not be identified or has been disconnected.</translation>
    </message>
    <message>
        <source>THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE</source>
        <translation>This test cannot be performed because the application could not recognize the input type.</translation>
    </message>
    <message>
        <source>AN_INTERNAL_ERROR_OCCURRED._</source>
        <translation>An internal error occurred.</translation>
    </message>
    <message>
        <source>THIS_DOES_NOT_INDICATE_A_FAILURE._</source>
        <translation>This does not indicate a failure.</translation>
    </message>
    <message>
        <source>PLEASE_TRY_AGAIN.</source>
        <translation>Please try again.</translation>
    </message>
    <message>
        <source>YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION.</source>
        <translation>Your system can take full advantage of your display resolution.</translation>
    </message>
    <message>
        <source>YOUR_SYSTEM_CAN'T_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY.</source>
        <translation>Your system can't reach the maximum resolution of your display.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Possible defective components</translation>
    </message>
    <message>
        <source>CABLES</source>
        <translation>cables</translation>
    </message>
    <message>
        <source>SCREEN</source>
        <translation>screen</translation>
    </message>
    <message>
        <source>CONNECTOR</source>
        <translation>connector</translation>
    </message>
    <message>
        <source>DISPLAY_INDEX</source>
        <translation>Display index</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Driver version</translation>
    </message>
    <message>
        <source>MANUFACTURER_ID</source>
        <translation>Manufacturer</translation>
    </message>
    <message>
        <source>MODEL_NAME</source>
        <translation>Model name</translation>
    </message>
    <message>
        <source>EDID_VERSION</source>
        <translation>EDID version</translation>
    </message>
    <message>
        <source>SCREEN_SIZE</source>
        <translation>Screen size</translation>
    </message>
    <message>
        <source>INPUT_TYPE</source>
        <translation>Input type</translation>
    </message>
    <message>
        <source>ANALOG</source>
        <translation>Analog</translation>
    </message>
    <message>
        <source>DIGITAL</source>
        <translation>Digital</translation>
    </message>
    <message>
        <source>NATIVE_RESOLUTION</source>
        <translation>Native resolution</translation>
    </message>
    <message>
        <source>CURRENT_RESOLUTION</source>
        <translation>Current resolution</translation>
    </message>
    <message>
        <source>GENERIC_DISPLAY</source>
        <translation>Generic display</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>Identifier</translation>
    </message>
    <message>
        <source>DISPLAY</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>MO</source>
        <translation>MO</translation>
    </message>
</context>
<context>
    <name>RESULT</name>
    <message>
        <source>Passed</source>
        <translation>Passed</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>NotPerformed</source>
        <translation>Not performed</translation>
    </message>
    <message>
        <source>Aborted</source>
        <translation>Aborted</translation>
    </message>
    <message>
        <source>NotRun</source>
        <translation>Not run</translation>
    </message>
</context>
</TS>
