# The "ID3 Tag Query" dialog.
add_library(vantuke_batch_widgets STATIC ID3TagQuery.cpp)
target_link_libraries(vantuke_batch_widgets PUBLIC vantuke_batch Qt6::Widgets)
target_link_libraries(vantuke_widgets INTERFACE vantuke_batch_widgets)
