# The Windows backend of the machine layer: the real system through its own libraries. The
# "*_calls.cpp" files are the seam that speaks Win32; the others implement the platform's
# interfaces over them.
target_sources(vexmarl_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/call_courier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/code_page_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/code_page_conversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/com_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/crypto_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/crypto_digest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/crypto_provider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/crypto_signature.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_fallbacks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/internet_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/last_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/library_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mail_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/native_process_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_status_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prompt_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_handle_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_handles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_library_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/task_scheduler_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/token_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tool_help_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_com.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_files_find.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_files_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_files_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_internet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_libraries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_mail.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_machine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_process_handle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_process_token.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_processes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_prompt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_schedule_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_task.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_task_scheduler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_tool_help.cpp
)
target_link_libraries(vexmarl_platform PUBLIC
  advapi32 crypt32 shell32 shlwapi ole32 oleaut32 uuid user32 gdi32 comctl32 comdlg32 wininet)
