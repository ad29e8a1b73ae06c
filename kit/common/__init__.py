"""What making and checking a medium share: the outside tools, the Wine
driver, the compressed files, an image's two trees."""
