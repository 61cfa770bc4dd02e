#include "firmware/image/firmware_hex_text.h"
#include "host/drivers/driver_select.h"
#include "host/startup.h"

int main(int argc, char** argv) {
  ToolEnvironment environment;
  environment.console = platformConsole();
  environment.opener = openDriverInstance;
  environment.firmwareText = firmwareHexText;
  return runTool(argc, argv, environment);
}
