'use strict;'
let VLM_DATA=[
`{
	"id":"vlm_1234",
	"Map":"0104 0104 ",
	"colors":[
		{	"color":1,
			"properties": {
				"over": {
					"q":0
				},
				"click": {
					"q":0
				},
				"dblclick": {
					"message": { "text":"Первая строка|вторая","style":"blue_small","type":"speech","x1":0,"y1":0,"x2":0,"y2":0 },
					"copytext": "строка|",
					"q":0
				}
			}
		},
		{ "q":0 }
	]
}`
];
