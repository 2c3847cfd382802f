tobimaru_add_test(test_app SOURCES app/ErrorBoxTest.cpp)
tobimaru_add_test(test_app_window GUI SOURCES app/MenusTest.cpp app/Form1Test.cpp app/MessageBoxPromptsTest.cpp)
