# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build; any report fails the test.
add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)
