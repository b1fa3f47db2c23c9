# Checks that the program publishes the plug-in class DEruRoInterface in its export table under
# the module name ZIVazado.exe: every operation, the destructors and the class's vtable.
# Run as: cmake -DOBJDUMP=<objdump> -DPROGRAM=<ZIVazado.exe> -P CheckExports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "objdump could not read ${PROGRAM}")
endif()
if(NOT dump MATCHES "Name[ \t]+[0-9a-fA-F]+ ZIVazado\\.exe")
    message(FATAL_ERROR "the export table does not carry the module name ZIVazado.exe")
endif()
foreach(operation Initialize Shut Idle Suspend Go ErrorDesc Exchange Error Version LibIID)
    if(NOT dump MATCHES "_ZN15DEruRoInterface[0-9]+${operation}E")
        message(FATAL_ERROR "DEruRoInterface::${operation} is not exported")
    endif()
endforeach()
foreach(symbol _ZN15DEruRoInterfaceC1Ev _ZN15DEruRoInterfaceC1ERKS_ _ZN15DEruRoInterfaceaSERKS_
               _ZN15DEruRoInterfaceD1Ev _ZTV15DEruRoInterface)
    string(FIND "${dump}" "${symbol}" position)
    if(position EQUAL -1)
        message(FATAL_ERROR "${symbol} is not exported")
    endif()
endforeach()
